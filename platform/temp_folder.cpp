// The private temporary folder: made exclusively, this user's only, removed at exit.
#include "platform/temp_folder.h"

#include "platform/folders.h"
#include "platform/native.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <system_error>

#ifdef _WIN32
#include <windows.h>

#include <cstdint>
#include <memory>
#include <random>
#else
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quillonet::platform {
namespace {

constexpr std::string_view kPrefix = "quillonet-";

// The process number in a name "quillonet-<pid>-XXXXXX", 0 for any other name.
unsigned long ProcessOfName(std::u16string_view name) {
  if (name.size() <= kPrefix.size() || !std::equal(kPrefix.begin(), kPrefix.end(), name.begin())) return 0;
  unsigned long pid = 0;
  std::size_t i = kPrefix.size();
  for (; i < name.size() && name[i] >= u'0' && name[i] <= u'9' && pid < 100000000; ++i) {
    pid = pid * 10 + (name[i] - u'0');
  }
  return i > kPrefix.size() && i < name.size() && name[i] == u'-' ? pid : 0;
}

#ifdef _WIN32

std::uint64_t Ticks(const FILETIME& time) {
  return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Whether the process that made the folder is gone. Windows hands out
// process numbers again soon, so a live process that started after the
// folder was made is another one.
bool ProcessIsGone(unsigned long pid, const std::u16string& folder) {
  WIN32_FILE_ATTRIBUTE_DATA made{};
  if (!::GetFileAttributesExW(native::ToNative(folder).c_str(), GetFileExInfoStandard, &made)) return false;
  HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (process == nullptr) return ::GetLastError() == ERROR_INVALID_PARAMETER;  // no such process
  DWORD code = 0;
  FILETIME started{}, exited{}, kernel{}, user{};
  const bool ended = (::GetExitCodeProcess(process, &code) && code != STILL_ACTIVE) ||
                     (::GetProcessTimes(process, &started, &exited, &kernel, &user) &&
                      Ticks(started) > Ticks(made.ftCreationTime));
  ::CloseHandle(process);
  return ended;
}

// A security descriptor whose access list grants this user everything and
// nobody else anything, inherited by what is made inside; nothing is
// inherited from the folder above.
class OwnerOnly {
 public:
  OwnerOnly() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) Fail();
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    user_ = std::make_unique<unsigned char[]>(size);
    const bool read = ::GetTokenInformation(token, TokenUser, user_.get(), size, &size);
    ::CloseHandle(token);
    if (!read) Fail();
    PSID sid = reinterpret_cast<TOKEN_USER*>(user_.get())->User.Sid;
    const DWORD aclSize = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + ::GetLengthSid(sid);
    acl_ = std::make_unique<unsigned char[]>(aclSize);
    PACL acl = reinterpret_cast<PACL>(acl_.get());
    if (!::InitializeAcl(acl, aclSize, ACL_REVISION) ||
        !::AddAccessAllowedAceEx(acl, ACL_REVISION, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, FILE_ALL_ACCESS, sid) ||
        !::InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) ||
        !::SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE) ||
        !::SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED)) {
      Fail();
    }
    attributes_.nLength = sizeof attributes_;
    attributes_.lpSecurityDescriptor = &descriptor_;
    attributes_.bInheritHandle = FALSE;
  }
  SECURITY_ATTRIBUTES* attributes() { return &attributes_; }

 private:
  [[noreturn]] static void Fail() {
    throw std::system_error(native::LastError(), "cannot describe a folder for this user only");
  }
  std::unique_ptr<unsigned char[]> user_;
  std::unique_ptr<unsigned char[]> acl_;
  SECURITY_DESCRIPTOR descriptor_{};
  SECURITY_ATTRIBUTES attributes_{};
};

#else

bool ProcessIsGone(unsigned long pid, const std::u16string&) {
  // Still running, or not ours to ask: kept.
  return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

#endif

// The folders "quillonet-<pid>-XXXXXX" in base that this user's runs left
// behind (a second Ctrl+C, a kill): removed once their process is gone.
void RemoveLeftovers(const std::u16string& base) {
  for (const FolderEntry& entry : ListFolder(base).entries) {
    if (entry.kind != EntryKind::Folder) continue;
    const unsigned long pid = ProcessOfName(entry.name);
    if (pid == 0) continue;
    const std::u16string path = base + entry.name;
#ifndef _WIN32
    // Only a real folder of this user (not a link, not another user's).
    struct stat info {};
    if (::lstat(native::ToNative(path).c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid()) {
      continue;
    }
#endif
    if (ProcessIsGone(pid, path)) RemoveTree(path);
  }
}

// Owns the process's private temporary folder and removes it at exit.
class TempFolder {
 public:
  TempFolder() {
#ifdef _WIN32
    std::wstring base(MAX_PATH + 1, L'\0');
    for (;;) {
      const DWORD length = ::GetTempPathW(static_cast<DWORD>(base.size()), base.data());
      if (length == 0) throw std::system_error(native::LastError(), "cannot find the temporary folder");
      const bool fits = length < base.size();
      base.resize(length);
      if (fits) break;
    }
    const std::u16string baseText = native::FromNative(base);
    const std::string where = "the temporary folder " + native::ForMessage(baseText);
    const DWORD attributes = ::GetFileAttributesW(base.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) throw std::system_error(native::LastError(), where);
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) throw std::system_error(ENOTDIR, std::generic_category(), where);
    std::u16string folderBase = baseText;
    if (!IsSeparator(folderBase.back())) folderBase += kSeparator;
    RemoveLeftovers(folderBase);
    OwnerOnly security;
    const std::u16string stem =
        folderBase + native::FromNative(L"quillonet-" + std::to_wstring(::GetCurrentProcessId()) + L"-");
    std::random_device random;
    constexpr char16_t kLetters[] = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    // CreateDirectory fails rather than reuse a name that exists, so nobody
    // can have prepared the folder for us.
    for (int tries = 0;; ++tries) {
      std::u16string candidate = stem;
      for (int k = 0; k < 6; ++k) candidate += kLetters[random() % 62];
      if (::CreateDirectoryW(native::ToNative(candidate).c_str(), security.attributes())) {
        folder_ = candidate;
        break;
      }
      if (::GetLastError() != ERROR_ALREADY_EXISTS || tries == 100) {
        throw std::system_error(native::LastError(), "cannot create a private folder in " + where);
      }
    }
#else
    // $TMPDIR as given, byte for byte, else /tmp.
    const char* variable = std::getenv("TMPDIR");
    const bool fromVariable = variable != nullptr && *variable != 0;
    std::string base = fromVariable ? variable : "/tmp";
    const std::string where =
        fromVariable ? "the temporary folder $TMPDIR (" + base + ")" : "the temporary folder " + base;
    struct stat info {};
    if (::stat(base.c_str(), &info) != 0) throw std::system_error(errno, std::generic_category(), where);
    if (!S_ISDIR(info.st_mode)) throw std::system_error(ENOTDIR, std::generic_category(), where);
    if (base.back() != '/') base += '/';
    RemoveLeftovers(native::FromNative(base));
    std::string pattern = base + std::string(kPrefix) + std::to_string(::getpid()) + "-XXXXXX";
    // mkdtemp creates the folder with mode 0700 and fails rather than reuse
    // a name that exists, so nobody can have prepared it for us.
    if (::mkdtemp(pattern.data()) == nullptr) {
      throw std::system_error(errno, std::generic_category(), "cannot create a private folder in " + where);
    }
    owner_ = ::getpid();
    folder_ = native::FromNative(pattern);
#endif
    path_ = folder_ + kSeparator;
  }
  ~TempFolder() {
#ifndef _WIN32
    // A forked child inherits this object; only the creating process cleans up.
    if (::getpid() != owner_) return;
#endif
    RemoveTree(folder_);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::u16string& path() const { return path_; }

 private:
  std::u16string folder_;
  std::u16string path_;
#ifndef _WIN32
  pid_t owner_ = 0;
#endif
};

}  // namespace

const std::u16string& PrivateTempFolder() {
  static const TempFolder folder;
  return folder.path();
}

}  // namespace quillonet::platform
