#include "platform/gwes/controls/date_time_format.h"

#include <algorithm>
#include <array>

namespace gwes {
namespace {

constexpr std::array<const char16_t*, 12> kMonthNames = {u"January", u"February", u"March",     u"April",
                                                         u"May",     u"June",     u"July",      u"August",
                                                         u"September", u"October", u"November", u"December"};
constexpr std::array<const char16_t*, 7> kWeekDayNames = {u"Sunday",   u"Monday", u"Tuesday", u"Wednesday",
                                                          u"Thursday", u"Friday", u"Saturday"};

DateField FieldOfLetter(char16_t letter, int count) {
  switch (letter) {
    case u'H': return DateField::Hour24;
    case u'h': return DateField::Hour12;
    case u'm': return DateField::Minute;
    case u's': return DateField::Second;
    case u't': return DateField::AmPm;
    case u'd': return count >= 3 ? DateField::WeekDay : DateField::Day;
    case u'M': return DateField::Month;
    case u'y': return DateField::Year;
    default: return DateField::Literal;
  }
}

std::u16string Number(int value, int width) {
  std::u16string text;
  do {
    text.insert(text.begin(), static_cast<char16_t>(u'0' + value % 10));
    value /= 10;
  } while (value > 0);
  while (static_cast<int>(text.size()) < width) text.insert(text.begin(), u'0');
  return text;
}

void AppendLiteral(std::vector<FormatPiece>& pieces, std::u16string_view text) {
  if (text.empty()) return;
  if (!pieces.empty() && pieces.back().field == DateField::Literal) pieces.back().literal += text;
  else pieces.push_back(FormatPiece{DateField::Literal, 0, std::u16string(text)});
}

// Days since 1 January 1970 (proleptic Gregorian), counted in 400-year eras of 146097 days that
// start on 1 March, so that a leap day falls at an era year's end.
long DayNumber(int year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  long era = (year >= 0 ? year : year - 399) / 400;
  long yearOfEra = year - era * 400;
  long dayOfYear = (153L * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

void DateOfDayNumber(long days, int& year, int& month, int& day) {
  days += 719468;
  long era = (days >= 0 ? days : days - 146096) / 146097;
  long dayOfEra = days - era * 146097;
  long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  long shifted = (5 * dayOfYear + 2) / 153;  // months since March
  day = static_cast<int>(dayOfYear - (153 * shifted + 2) / 5 + 1);
  month = static_cast<int>(shifted < 10 ? shifted + 3 : shifted - 9);
  year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

}  // namespace

std::vector<FormatPiece> ParseDateTimeFormat(std::u16string_view format) {
  std::vector<FormatPiece> pieces;
  for (std::size_t i = 0; i < format.size();) {
    char16_t letter = format[i];
    if (letter == u'\'') {
      // Quoted text up to the closing quote; '' inside (or alone) stands for one quote.
      std::u16string text;
      ++i;
      if (i < format.size() && format[i] == u'\'') {
        AppendLiteral(pieces, u"'");
        ++i;
        continue;
      }
      while (i < format.size()) {
        if (format[i] == u'\'') {
          if (i + 1 < format.size() && format[i + 1] == u'\'') {
            text += u'\'';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        text += format[i++];
      }
      AppendLiteral(pieces, text);
      continue;
    }
    std::size_t end = i;
    while (end < format.size() && format[end] == letter) ++end;
    int count = static_cast<int>(end - i);
    DateField field = FieldOfLetter(letter, count);
    if (field == DateField::Literal) {
      AppendLiteral(pieces, format.substr(i, end - i));
    } else {
      pieces.push_back(FormatPiece{field, count, {}});
    }
    i = end;
  }
  return pieces;
}

std::u16string PieceText(const FormatPiece& piece, const SYSTEMTIME& time) {
  int two = piece.count >= 2 ? 2 : 1;
  switch (piece.field) {
    case DateField::Literal: return piece.literal;
    case DateField::Hour24: return Number(time.wHour, two);
    case DateField::Hour12: return Number(FieldValue(DateField::Hour12, time), two);
    case DateField::Minute: return Number(time.wMinute, two);
    case DateField::Second: return Number(time.wSecond, two);
    case DateField::AmPm: return piece.count >= 2 ? (time.wHour >= 12 ? u"PM" : u"AM") : (time.wHour >= 12 ? u"P" : u"A");
    case DateField::Day: return Number(time.wDay, two);
    case DateField::WeekDay: {
      std::u16string name = WeekDayName(DayOfWeek(time.wYear, time.wMonth, time.wDay));
      return piece.count == 3 ? name.substr(0, 3) : name;
    }
    case DateField::Month:
      if (piece.count >= 3) return piece.count == 3 ? MonthName(time.wMonth).substr(0, 3) : MonthName(time.wMonth);
      return Number(time.wMonth, two);
    case DateField::Year:
      if (piece.count == 1) return Number(time.wYear % 10, 1);
      if (piece.count == 2) return Number(time.wYear % 100, 2);
      return Number(time.wYear, 4);
  }
  return {};
}

std::u16string FormatDateTime(std::u16string_view format, const SYSTEMTIME& time) {
  std::u16string text;
  for (const FormatPiece& piece : ParseDateTimeFormat(format)) text += PieceText(piece, time);
  return text;
}

bool EditableField(DateField field) { return field != DateField::Literal && field != DateField::WeekDay; }

int FieldValue(DateField field, const SYSTEMTIME& time) {
  switch (field) {
    case DateField::Hour24: return time.wHour;
    case DateField::Hour12: return time.wHour % 12 == 0 ? 12 : time.wHour % 12;
    case DateField::Minute: return time.wMinute;
    case DateField::Second: return time.wSecond;
    case DateField::AmPm: return time.wHour >= 12 ? 1 : 0;
    case DateField::Day: return time.wDay;
    case DateField::WeekDay: return DayOfWeek(time.wYear, time.wMonth, time.wDay);
    case DateField::Month: return time.wMonth;
    case DateField::Year: return time.wYear;
    case DateField::Literal: return 0;
  }
  return 0;
}

int FieldMinimum(DateField field) {
  switch (field) {
    case DateField::Hour12:
    case DateField::Day:
    case DateField::Month: return 1;
    case DateField::Year: return kFirstYear;
    default: return 0;
  }
}

int FieldMaximum(DateField field, const SYSTEMTIME& time) {
  switch (field) {
    case DateField::Hour24: return 23;
    case DateField::Hour12: return 12;
    case DateField::Minute:
    case DateField::Second: return 59;
    case DateField::AmPm: return 1;
    case DateField::Day: return DaysInMonth(time.wYear, time.wMonth);
    case DateField::WeekDay: return 6;
    case DateField::Month: return 12;
    case DateField::Year: return kLastYear;
    case DateField::Literal: return 0;
  }
  return 0;
}

SYSTEMTIME WithFieldValue(SYSTEMTIME time, DateField field, int value) {
  if (!EditableField(field)) return time;
  value = std::clamp(value, FieldMinimum(field), FieldMaximum(field, time));
  bool pm = time.wHour >= 12;
  switch (field) {
    case DateField::Hour24: time.wHour = static_cast<WORD>(value); break;
    case DateField::Hour12: time.wHour = static_cast<WORD>(value % 12 + (pm ? 12 : 0)); break;
    case DateField::Minute: time.wMinute = static_cast<WORD>(value); break;
    case DateField::Second: time.wSecond = static_cast<WORD>(value); break;
    case DateField::AmPm: time.wHour = static_cast<WORD>(time.wHour % 12 + value * 12); break;
    case DateField::Day: time.wDay = static_cast<WORD>(value); break;
    case DateField::Month: time.wMonth = static_cast<WORD>(value); break;
    case DateField::Year: time.wYear = static_cast<WORD>(value); break;
    default: break;
  }
  time.wDay = static_cast<WORD>(std::min<int>(time.wDay, DaysInMonth(time.wYear, time.wMonth)));
  time.wDayOfWeek = static_cast<WORD>(DayOfWeek(time.wYear, time.wMonth, time.wDay));
  return time;
}

SYSTEMTIME StepField(const SYSTEMTIME& time, DateField field, int delta) {
  if (!EditableField(field)) return time;
  int low = FieldMinimum(field);
  int span = FieldMaximum(field, time) - low + 1;
  int offset = ((FieldValue(field, time) - low + delta) % span + span) % span;
  return WithFieldValue(time, field, low + offset);
}

bool LeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && LeapYear(year) ? 29 : kDays[month - 1];
}

int DayOfWeek(int year, int month, int day) {
  long days = DayNumber(year, month, day);  // day 0 (1 January 1970) was a Thursday
  return static_cast<int>(((days + 4) % 7 + 7) % 7);
}

SYSTEMTIME AddDays(SYSTEMTIME time, int days) {
  long first = DayNumber(kFirstYear, 1, 1);
  long last = DayNumber(kLastYear, 12, 31);
  long day = std::clamp(DayNumber(time.wYear, time.wMonth, time.wDay) + days, first, last);
  int year = 0, month = 0, dayOfMonth = 0;
  DateOfDayNumber(day, year, month, dayOfMonth);
  time.wYear = static_cast<WORD>(year);
  time.wMonth = static_cast<WORD>(month);
  time.wDay = static_cast<WORD>(dayOfMonth);
  time.wDayOfWeek = static_cast<WORD>(DayOfWeek(year, month, dayOfMonth));
  return time;
}

SYSTEMTIME AddMonths(SYSTEMTIME time, int months) {
  int index = std::clamp(time.wYear * 12 + (time.wMonth - 1) + months, kFirstYear * 12, kLastYear * 12 + 11);
  time.wYear = static_cast<WORD>(index / 12);
  time.wMonth = static_cast<WORD>(index % 12 + 1);
  time.wDay = static_cast<WORD>(std::min<int>(time.wDay, DaysInMonth(time.wYear, time.wMonth)));
  time.wDayOfWeek = static_cast<WORD>(DayOfWeek(time.wYear, time.wMonth, time.wDay));
  return time;
}

bool ValidDate(const SYSTEMTIME& time) {
  return time.wYear >= kFirstYear && time.wYear <= kLastYear && time.wMonth >= 1 && time.wMonth <= 12 &&
         time.wDay >= 1 && time.wDay <= DaysInMonth(time.wYear, time.wMonth);
}

std::u16string MonthName(int month) { return month >= 1 && month <= 12 ? kMonthNames[month - 1] : u""; }
std::u16string WeekDayName(int day) { return day >= 0 && day <= 6 ? kWeekDayNames[day] : u""; }

}  // namespace gwes
