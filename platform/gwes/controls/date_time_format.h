// Dates and times as the picker and the month calendar show and edit them: picker format strings
// split into fields and literal text, each field's text, range and stepping, and the calendar
// arithmetic (month lengths, weekdays, English month and weekday names of the device's locale).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/kernel/time_zone.h"

namespace gwes {

enum class DateField { Literal, Hour24, Hour12, Minute, Second, AmPm, Day, WeekDay, Month, Year };

// One piece of a format: a field with its letter count (HH is Hour24 x 2), or literal text.
struct FormatPiece {
  DateField field = DateField::Literal;
  int count = 0;
  std::u16string literal;
};

// The years a picker or calendar accepts.
constexpr int kFirstYear = 1601;
constexpr int kLastYear = 9999;

// Format letters: H HH (hours 0-23), h hh (1-12), m mm, s ss, t tt (A/P, AM/PM), d dd (day), ddd
// dddd (weekday name), M MM (month), MMM MMMM (month name), y yy (the year's last one or two
// digits), yyy and longer (the whole year); 'quoted' text is shown as it is ('' is a quote); any
// other character stands for itself.
std::vector<FormatPiece> ParseDateTimeFormat(std::u16string_view format);
std::u16string PieceText(const FormatPiece& piece, const SYSTEMTIME& time);
std::u16string FormatDateTime(std::u16string_view format, const SYSTEMTIME& time);

// Fields the user can select and change (all but literal text and the weekday name).
bool EditableField(DateField field);
// A field's value and its range for the given date (Day: 1 to the month's length; Hour12: 1-12;
// AmPm: 0 for AM, 1 for PM).
int FieldValue(DateField field, const SYSTEMTIME& time);
int FieldMinimum(DateField field);
int FieldMaximum(DateField field, const SYSTEMTIME& time);
// Sets one field; a day past the end of a changed month or year becomes that month's last day.
// The weekday follows the date.
SYSTEMTIME WithFieldValue(SYSTEMTIME time, DateField field, int value);
// Moves one field by delta, wrapping within its own range; the other fields stay.
SYSTEMTIME StepField(const SYSTEMTIME& time, DateField field, int delta);

bool LeapYear(int year);
int DaysInMonth(int year, int month);
// 0 Sunday ... 6 Saturday, as SYSTEMTIME's wDayOfWeek.
int DayOfWeek(int year, int month, int day);
// The date `days` days later (earlier when negative), kept within kFirstYear to kLastYear; the
// time fields stay and the weekday follows.
SYSTEMTIME AddDays(SYSTEMTIME time, int days);
// The same day `months` months later (earlier when negative), or that month's last day.
SYSTEMTIME AddMonths(SYSTEMTIME time, int months);
// A valid calendar date (time fields ignored) within kFirstYear to kLastYear.
bool ValidDate(const SYSTEMTIME& time);
std::u16string MonthName(int month);    // "January"
std::u16string WeekDayName(int day);    // "Sunday" for 0

}  // namespace gwes
