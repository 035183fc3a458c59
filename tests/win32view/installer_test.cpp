// The installer end to end, as an operator's PC sees it: a silent install puts both programs,
// the README and an uninstaller in the user's programs folder and the shortcut "Опрос ВЛК240Т"
// in the Start menu; the shortcut starts the window in %APPDATA%\vlk240, where it can save
// user.ini; the install folder goes on the user's Path once; a silent uninstall removes all of it
// but the saved settings, and takes the folder off the Path leaving the other entries.
//   installer_test SETUP.EXE
#include <windows.h>
// After <windows.h>, which they need.
#include <gtest/gtest.h>
#include <shellapi.h>
#include <shlobj.h>

#include <chrono>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>

#include "win32view/control_ids.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

std::wstring g_setup;

constexpr wchar_t kCaption[] = L"Программа опроса ВЛК240Т по RS485 c протоколом ModBus RTU";

template <typename Condition>
bool WaitFor(Condition done, std::chrono::milliseconds limit) {
  for (auto waited = 0ms; waited < limit; waited += 100ms) {
    if (done()) return true;
    std::this_thread::sleep_for(100ms);
  }
  return done();
}

fs::path Folder(int csidl) {
  wchar_t path[MAX_PATH] = L"";
  ::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

// Runs a program to its end; its exit code, or -1 when it did not start or end in time.
long RunToEnd(const fs::path& program, const std::wstring& arguments) {
  std::wstring command = L"\"" + program.wstring() + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
    return -1;
  }
  DWORD code = static_cast<DWORD>(-1);
  if (::WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) {
    ::GetExitCodeProcess(process.hProcess, &code);
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return static_cast<long>(code);
}

std::string Bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const fs::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary) << bytes;
}

// The user's Path as stored, unexpanded, and whether it is stored expandable.
struct StoredPath {
  std::wstring text;
  bool expandable = false;
};

std::optional<StoredPath> ReadPath() {
  DWORD type = 0;
  DWORD bytes = 0;
  constexpr DWORD kStrings = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
  if (::RegGetValueW(HKEY_CURRENT_USER, L"Environment", L"Path", kStrings, &type, nullptr,
                     &bytes) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::wstring text(bytes / sizeof(wchar_t), L'\0');
  ::RegGetValueW(HKEY_CURRENT_USER, L"Environment", L"Path", kStrings, &type, text.data(), &bytes);
  text.resize(bytes / sizeof(wchar_t) - 1);
  return StoredPath{text, type == REG_EXPAND_SZ};
}

// Sets the user's Path, or removes it when `text` is empty.
void WritePath(const std::optional<std::wstring>& text) {
  HKEY key = nullptr;
  ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, L"Environment", 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &key, nullptr),
            ERROR_SUCCESS);
  if (text) {
    ::RegSetValueExW(key, L"Path", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(text->c_str()),
                     static_cast<DWORD>((text->size() + 1) * sizeof(wchar_t)));
  } else {
    ::RegDeleteValueW(key, L"Path");
  }
  ::RegCloseKey(key);
}

// The user's own entries, one expandable, around which the install folder comes and goes.
constexpr wchar_t kOwnPath[] = L"C:\\tools;%USERPROFILE%\\bin";

class Installer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (auto path = ReadPath()) saved_path_ = path->text;
  }
  static void TearDownTestSuite() { WritePath(saved_path_); }

  static inline std::optional<std::wstring> saved_path_;

  const fs::path programs_ = Folder(CSIDL_LOCAL_APPDATA) / L"Programs" / L"vlk240";
  const fs::path shortcut_ = Folder(CSIDL_PROGRAMS) / L"Опрос ВЛК240Т.lnk";
  const fs::path work_folder_ = Folder(CSIDL_APPDATA) / L"vlk240";
};

TEST_F(Installer, SilentInstallPutsTheProgramsTheReadmeAndTheShortcutInPlace) {
  WritePath(kOwnPath);
  ASSERT_EQ(RunToEnd(g_setup, L"/S"), 0);
  for (const wchar_t* file :
       {L"vlk240.exe", L"vlk240-read.exe", L"README-Windows.txt", L"uninstall.exe"}) {
    EXPECT_TRUE(fs::is_regular_file(programs_ / file)) << (programs_ / file).string();
  }
  EXPECT_TRUE(fs::is_regular_file(shortcut_)) << shortcut_.string();
  // Every line of the note ends in CR LF, as Notepad needs.
  const std::string readme = Bytes(programs_ / L"README-Windows.txt");
  EXPECT_NE(readme.find("\r\n"), std::string::npos);
  for (std::size_t at = readme.find('\n'); at != std::string::npos;
       at = readme.find('\n', at + 1)) {
    ASSERT_TRUE(at > 0 && readme[at - 1] == '\r') << "a bare LF at byte " << at;
  }
  EXPECT_TRUE(fs::is_directory(work_folder_));

  // Installed again over itself: still one entry.
  ASSERT_EQ(RunToEnd(g_setup, L"/S"), 0);
  const auto path = ReadPath();
  ASSERT_TRUE(path);
  EXPECT_EQ(path->text, std::wstring(kOwnPath) + L";" + programs_.wstring())
      << fs::path(path->text).string();
  EXPECT_TRUE(path->expandable);
}

TEST_F(Installer, TheShortcutStartsTheWindowWhereItSavesItsSettings) {
  SHELLEXECUTEINFOW execute{};
  execute.cbSize = sizeof execute;
  execute.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  execute.lpFile = shortcut_.c_str();
  execute.nShow = SW_SHOWNORMAL;
  ASSERT_TRUE(::ShellExecuteExW(&execute)) << ::GetLastError();
  HWND window = nullptr;
  ASSERT_TRUE(
      WaitFor([&] { return (window = ::FindWindowW(win32view::kWindowClass, kCaption)); }, 30s));
  DWORD process_id = 0;
  ::GetWindowThreadProcessId(window, &process_id);
  const HANDLE process =
      ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_id);
  wchar_t image[MAX_PATH] = L"";
  DWORD image_size = MAX_PATH;
  ::QueryFullProcessImageNameW(process, 0, image, &image_size);
  EXPECT_TRUE(fs::equivalent(image, programs_ / L"vlk240.exe")) << fs::path(image).string();

  // "Cохранить настройки": the window writes user.ini in its current directory, then shows
  // its confirmation, which is closed here.
  ::PostMessageW(window, WM_COMMAND, win32view::kSaveSettingsCommand, 0);
  HWND confirmation = nullptr;
  EXPECT_TRUE(WaitFor([&] { return (confirmation = ::FindWindowW(nullptr, L"Confirm")); }, 10s));
  EXPECT_EQ(Bytes(work_folder_ / L"user.ini"), "COM1\r\n");
  if (confirmation != nullptr) ::PostMessageW(confirmation, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitFor([&] { return ::FindWindowW(nullptr, L"Confirm") == nullptr; }, 10s));

  ::PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(::WaitForSingleObject(process, 15000), WAIT_OBJECT_0);
  ::CloseHandle(process);
}

// The window once started from the program folder (as Explorer starts it) saved its port there
// too; the shortcut's saved port is the one kept.
TEST_F(Installer, SilentUninstallRemovesAllButTheSavedSettings) {
  WriteBytes(programs_ / L"user.ini", "COM3\r\n");
  ASSERT_EQ(RunToEnd(programs_ / L"uninstall.exe", L"/S"), 0);
  // The uninstaller runs on from a copy of itself in the temporary folder.
  EXPECT_TRUE(WaitFor([&] { return !fs::exists(programs_); }, 30s)) << programs_.string();
  EXPECT_FALSE(fs::exists(shortcut_));
  EXPECT_EQ(Bytes(work_folder_ / L"user.ini"), "COM1\r\n");
  const auto path = ReadPath();
  ASSERT_TRUE(path);
  EXPECT_EQ(path->text, kOwnPath) << fs::path(path->text).string();
}

// The folder already on the Path in other letters stays single; with no saved port of the
// shortcut's, the one saved in the program folder is kept in its place.
TEST_F(Installer, ReinstallKeepsOnePathEntryAndUninstallKeepsTheProgramFoldersPort) {
  const std::wstring upper = [&] {
    std::wstring text = programs_.wstring() + L"\\";
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(c));
    return text;
  }();
  const std::wstring before = L"C:\\tools;" + upper + L";%USERPROFILE%\\bin";
  WritePath(before);
  fs::remove(work_folder_ / L"user.ini");
  ASSERT_EQ(RunToEnd(g_setup, L"/S"), 0);
  auto path = ReadPath();
  ASSERT_TRUE(path);
  EXPECT_EQ(path->text, before) << fs::path(path->text).string();

  WriteBytes(programs_ / L"user.ini", "COM3\r\n");
  ASSERT_EQ(RunToEnd(programs_ / L"uninstall.exe", L"/S"), 0);
  EXPECT_TRUE(WaitFor([&] { return !fs::exists(programs_); }, 30s)) << programs_.string();
  EXPECT_EQ(Bytes(work_folder_ / L"user.ini"), "COM3\r\n");
  path = ReadPath();
  ASSERT_TRUE(path);
  EXPECT_EQ(path->text, kOwnPath) << fs::path(path->text).string();
}

// A Path longer than the installer's strings hold is never cut: it stays as it was.
TEST_F(Installer, APathTooLongToRewriteWholeIsLeftAsItWas) {
  std::wstring along = L"C:\\tools";
  while (along.size() < 1100) along += L";C:\\tools\\" + std::to_wstring(along.size());
  WritePath(along);
  ASSERT_EQ(RunToEnd(g_setup, L"/S"), 0);
  EXPECT_EQ(ReadPath().value_or(StoredPath{}).text, along);
  ASSERT_EQ(RunToEnd(programs_ / L"uninstall.exe", L"/S"), 0);
  EXPECT_TRUE(WaitFor([&] { return !fs::exists(programs_); }, 30s)) << programs_.string();
  EXPECT_EQ(ReadPath().value_or(StoredPath{}).text, along);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc != 2) {
    std::fputws(L"usage: installer_test SETUP.EXE\n", stderr);
    return 2;
  }
  g_setup = argv[1];
  return RUN_ALL_TESTS();
}
