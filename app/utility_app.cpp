#include "app/utility_app.h"

#include "app/language_module.h"
#include "app/settings_snapshot.h"
#include "platform/gwes/virtual_keys.h"
#include "platform/kernel/files.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/keyboard.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/process.h"
#include "platform/kernel/sync_objects.h"
#include "res/resource.h"
#include "screens/snapshot_request.h"

namespace {

constexpr std::u16string_view kSelectLanguage = u"-SelLang";
constexpr std::u16string_view kNoDataMessage = u"-NoDataMsg";
constexpr std::u16string_view kLowPowerMessage = u"-LowPowerMsg";
constexpr std::u16string_view kSelectTimeZone = u"-SelTimezone";

}  // namespace

std::optional<ScreenRequest> ScreenForCommandLine(std::u16string_view commandLine) {
  if (commandLine.empty()) return ScreenRequest{UtilityScreen::MainMenu};
  if (commandLine == kSelectLanguage) return ScreenRequest{UtilityScreen::LanguagePage};
  if (commandLine == kNoDataMessage) return ScreenRequest{UtilityScreen::MessageDialog, nullptr, IDS_NO_NAVIGATOR_FILES};
  if (commandLine == kLowPowerMessage) return ScreenRequest{UtilityScreen::MessageDialog, nullptr, IDS_LOW_POWER};
  if (commandLine == kSelectTimeZone) return ScreenRequest{UtilityScreen::DateTimePage};
  return std::nullopt;
}

bool TakesSingleInstanceMutex(std::u16string_view commandLine) {
  return commandLine.empty() || commandLine == kSelectLanguage || commandLine == kSelectTimeZone;
}

CUtilityApp::CUtilityApp(CScreenHost& host) : m_host(host) { SetSnapshotWriter(&SaveSnapshot); }

BOOL CUtilityApp::InitInstance() {
  // The snapshot goes back first, so even an instance that is about to quit restores it.
  if (GetFileAttributesW(kSnapshotPath) != INVALID_FILE_ATTRIBUTES) RestoreSnapshot();

  DWORD languageId = GetDefaultLanguageId();
  WCHAR programPath[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, programPath, MAX_PATH - 1);
  std::u16string moduleName = LanguageModuleName(programPath, languageId);
  LanguageModule = LoadLibraryW(moduleName.c_str());

  std::u16string_view commandLine = m_lpCmdLine;
  if (TakesSingleInstanceMutex(commandLine)) {
    m_singleInstanceMutex = nullptr;
    m_singleInstanceMutex = CreateMutexW(nullptr, FALSE, kSingleInstanceMutex);
    if (m_singleInstanceMutex == nullptr) return FALSE;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
      CloseHandle(m_singleInstanceMutex);
      m_singleInstanceMutex = nullptr;
      return FALSE;
    }
  }

  // Every non-empty command line looks up the foreground window first, recognised or not.
  HWND owner = commandLine.empty() ? nullptr : m_host.ForegroundWindow();
  std::optional<ScreenRequest> request = ScreenForCommandLine(commandLine);
  if (!request) return FALSE;
  request->owner = owner;
  // The main menu opens the language page with package installation; the stand-alone page does not.
  m_host.RunScreen(*this, *request);
  if (request->screen == UtilityScreen::LanguagePage) SaveSnapshot();
  return FALSE;
}


int CUtilityApp::ExitInstance() {
  if (LanguageModule != nullptr) {
    FreeLibrary(LanguageModule);
    LanguageModule = nullptr;
  }
  if (m_singleInstanceMutex != nullptr) {
    CloseHandle(m_singleInstanceMutex);
    m_singleInstanceMutex = nullptr;
  }
  if (m_bResendExitKey) {
    keybd_event(VK_DEVICE_CLOSE, 0, KEYEVENTF_SILENT, 0);
    keybd_event(VK_DEVICE_CLOSE, 0, KEYEVENTF_KEYUP | KEYEVENTF_SILENT, 0);
  }
  return CWinApp::ExitInstance();
}
