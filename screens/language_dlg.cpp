#include "screens/language_dlg.h"

#include <cstdio>
#include <optional>
#include <string>

#include "install/installer_run.h"
#include "install/package_copy.h"
#include "install/package_search.h"
#include "platform/gwes/controls/list_box.h"
#include "platform/gwes/focus.h"
#include "platform/gwes/window.h"
#include "platform/kernel/clock.h"
#include "platform/kernel/registry.h"
#include "screens/battery_hold.h"
#include "screens/message_dlg.h"
#include "screens/platform_requests.h"
#include "screens/system_language.h"
#include "ui/ani_wait_cursor.h"

namespace {

constexpr const char16_t* kMultiLangKey = u"Software\\Tavix\\MultiLang";
constexpr const char16_t* kSupportCountValue = u"TatolSupport";
constexpr int kCaptionHeight = 15;
// A damaged count (up to 4,294,967,295) would keep the page reading for hours: values past this
// many are not looked for.
constexpr DWORD kMostSupported = 256;

struct LanguageName {
  DWORD languageId;
  UINT nameId;
};
constexpr LanguageName kLanguageNames[] = {
    {0x0404, IDS_NAME_CHINESE_TAIWAN}, {0x0406, IDS_NAME_DANISH},    {0x0407, IDS_NAME_GERMAN},
    {0x0409, IDS_NAME_ENGLISH_US},     {0x040C, IDS_NAME_FRENCH},    {0x0410, IDS_NAME_ITALIAN},
    {0x0411, IDS_NAME_JAPANESE},       {0x0412, IDS_NAME_KOREAN},    {0x0413, IDS_NAME_DUTCH},
    {0x041D, IDS_NAME_SWEDISH},        {0x0804, IDS_NAME_CHINESE_PRC}, {0x0809, IDS_NAME_ENGLISH_UK},
    {0x0813, IDS_NAME_FLEMISH},        {0x0816, IDS_NAME_PORTUGUESE}, {0x0C0A, IDS_NAME_SPANISH},
};

std::optional<DWORD> ReadDword(HKEY key, const std::u16string& name) {
  DWORD value = 0, size = sizeof value, type = 0;
  if (RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
    return std::nullopt;
  return value;
}

std::u16string Ascii(const std::string& text) { return {text.begin(), text.end()}; }

// A language the page has no name for is listed by its id, "0x0416", so it can still be told apart
// and chosen.
CLocalString DisplayName(DWORD languageId) {
  CLocalString name;
  if (UINT id = LanguageNameId(languageId); id != 0) {
    name.LoadString(id);
  } else {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%04X", static_cast<unsigned>(languageId));
    name.Assign(Ascii(hex).c_str());
  }
  return name;
}

}  // namespace

UINT LanguageNameId(DWORD languageId) {
  for (const LanguageName& entry : kLanguageNames) {
    if (entry.languageId == languageId) return entry.nameId;
  }
  return 0;
}

void CLanguageDlg::DoDataExchange(CDataExchange* exchange) {
  DDX_Control(exchange, IDC_LANGUAGE_TITLE, m_title);
  DDX_Control(exchange, IDC_LANGUAGE_CAPTION, m_caption);
  DDX_Control(exchange, IDC_LANGUAGE_PREVIOUS, m_previous);
  DDX_Control(exchange, IDC_LANGUAGE_NEXT, m_next);
}

BOOL CLanguageDlg::OnInitDialog() {
  CSkinPage::OnInitDialog();
  TakeProgramTitleIfAlone();

  SetUpTitle(m_title, IDS_MENU_SWITCH_LANGUAGE, 205);
  PlaceButton(m_previous, 65, 98, 27, 27, IDB_ARROW_LEFT_NORMAL, IDB_ARROW_LEFT_FOCUS, IDB_ARROW_LEFT_NORMAL);
  PlaceButton(m_next, 228, 98, 27, 27, IDB_ARROW_RIGHT_NORMAL, IDB_ARROW_RIGHT_FOCUS, IDB_ARROW_RIGHT_NORMAL);
  SetUpLabel(m_caption, IDS_LANGUAGE_CAPTION, kCaptionHeight, 40, 75, 140, 20);
  List().MoveWindow(100, 100, 120, 25);

  FillLanguageList();
  GetDlgItem(IDC_LANGUAGE_DISPLAY)->MoveWindow(100, 100, 120, 25);

  // The current language when the list has it, else the first entry.
  DWORD current = GetDefaultLanguageId();
  int count = static_cast<int>(List().SendMessage(LB_GETCOUNT));
  List().SendMessage(LB_SETCURSEL, 0);
  for (int i = 0; i < count; ++i) {
    if (static_cast<DWORD>(List().SendMessage(LB_GETITEMDATA, static_cast<WPARAM>(i))) == current) {
      List().SendMessage(LB_SETCURSEL, static_cast<WPARAM>(i));
      break;
    }
  }
  ShowEntry(count > 0 ? static_cast<int>(List().SendMessage(LB_GETCURSEL)) : -1);

  List().SetFocus();
  SetWindowPos(&wndTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  // The dialog manager focuses the first tab stop, the list.
  return TRUE;
}

void CLanguageDlg::FillLanguageList() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kMultiLangKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  std::optional<DWORD> count = ReadDword(key, kSupportCountValue);
  for (DWORD i = 1; count && i <= *count && i <= kMostSupported; ++i) {
    std::optional<DWORD> languageId = ReadDword(key, u"LangID" + Ascii(std::to_string(i)));
    if (!languageId) continue;
    CLocalString name = DisplayName(*languageId);
    LRESULT index = List().SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.GetText()));
    if (index >= 0) List().SendMessage(LB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(*languageId));
  }
  RegCloseKey(key);
}

void CLanguageDlg::ShowEntry(int index) {
  std::u16string text;
  if (index >= 0) {
    LRESULT length = List().SendMessage(LB_GETTEXTLEN, static_cast<WPARAM>(index));
    if (length > 0) {
      text.resize(static_cast<std::size_t>(length) + 1);
      List().SendMessage(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
      text.resize(static_cast<std::size_t>(length));
    }
  }
  m_langText.Assign(text.c_str());
  GetDlgItem(IDC_LANGUAGE_DISPLAY)->SetWindowText(m_langText);
}

void CLanguageDlg::StepLanguage(int direction) {
  auto selection = static_cast<int>(List().SendMessage(LB_GETCURSEL));
  auto count = static_cast<int>(List().SendMessage(LB_GETCOUNT));
  int target = selection + direction;
  if (selection < 0 || target < 0 || target >= count) return;
  List().SendMessage(LB_SETCURSEL, static_cast<WPARAM>(target));
  ShowEntry(target);
  List().SetFocus();
}

BOOL CLanguageDlg::OnPageKey(UINT key) {
  switch (key) {
    case VK_UP:
      StepLanguage(+1);
      return TRUE;
    case VK_DOWN:
      StepLanguage(-1);
      return TRUE;
    case VK_LEFT:
    case VK_RIGHT: {
      HWND focus = ::GetFocus();
      if (focus == nullptr) return TRUE;
      int id = ::GetDlgCtrlID(focus);
      if (id == IDC_LANGUAGE_LIST || id == IDC_LANGUAGE_DISPLAY) {
        StepLanguage(key == VK_LEFT ? -1 : +1);
      } else {
        GetDlgItem(IDC_LANGUAGE_DISPLAY)->SetFocus();
      }
      return TRUE;
    }
    default:
      return CSkinPage::OnPageKey(key);
  }
}

BOOL CLanguageDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  int id = LOWORD(wParam);
  if (lParam != 0 && HIWORD(wParam) == BN_CLICKED && (id == IDC_LANGUAGE_PREVIOUS || id == IDC_LANGUAGE_NEXT)) {
    StepLanguage(id == IDC_LANGUAGE_PREVIOUS ? -1 : +1);
    return TRUE;
  }
  return CSkinPage::OnCommand(wParam, lParam);
}

void CLanguageDlg::OnOK() {
  auto selection = static_cast<int>(List().SendMessage(LB_GETCURSEL));
  if (selection < 0) {
    CSkinPage::OnOK();
    return;
  }
  auto chosen = static_cast<DWORD>(List().SendMessage(LB_GETITEMDATA, static_cast<WPARAM>(selection)));
  DWORD previous = GetDefaultLanguageId();
  if (chosen == previous) {
    CSkinPage::OnOK();
    return;
  }
  WriteSystemLanguage(chosen);
  WriteVoice(chosen);
  SetWindowPos(&wndTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  HoldBatteryWarning(true);
  if (m_bInstallPackage && !SwitchLanguagePackage(chosen)) {
    WriteSystemLanguage(previous);
    WriteVoice(previous);
  }
  HoldBatteryWarning(false);
  Sleep(kClosePauseMs);
  CSkinPage::OnOK();
}

void CLanguageDlg::ShowMessage(UINT textId) {
  CMessageDlg message;
  message.SetTextId(textId);
  message.DoModal();
}

bool CLanguageDlg::SwitchLanguagePackage(DWORD languageId) {
  // Up for the whole procedure; it goes as this function returns, after any message has closed.
  CAniWaitCursor cursor;
  std::optional<DWORD> type = GetPlatformType();
  std::optional<PackageLayout> layout = type ? PackageLayoutFor(*type) : std::nullopt;
  if (!layout || FindPackage(layout->folder, languageId) != PACKAGE_SUCCESS) {
    ShowMessage(IDS_NO_NAVIGATOR_FILES);
    return false;
  }
  if (!layout->fromFlashDisk) {
    // Only the new installation may create the key again.
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kInstallKey);
    if (RunInstallerAndWait(false)) return true;
    ShowMessage(IDS_SWITCH_FAILED);
    Sleep(kResetPauseMs);
    ResetDevice();
    return false;
  }
  CleanFlashPackages();
  if (CopyPackageToFlash(layout->folder) != PACKAGE_SUCCESS) return false;
  if (RunInstallerAndWait(true)) return true;
  ShowMessage(IDS_SWITCH_FAILED);
  ResetDevice();
  return false;
}
