#include "settings/registry.h"

#include <algorithm>

#ifdef _WIN32
#include <windows.h>
#else
#include "settings/registry_file.h"

#include <sys/stat.h>

#include <cctype>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#endif

namespace kalvora {

namespace {

std::string withoutLeadingBackslashes(const std::string& path)
{
    return path.substr(std::min(path.find_first_not_of('\\'), path.size()));
}

}  // namespace

std::string rootName(RegistryRoot root)
{
    return root == RegistryRoot::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

#ifdef _WIN32

struct RegistryKey::State {
    HKEY handle;
    ~State() { RegCloseKey(handle); }
};

std::optional<RegistryKey> RegistryKey::open(RegistryRoot root, const std::string& path, RegistryView view)
{
    HKEY handle = nullptr;
    const HKEY rootHandle = root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    const REGSAM access = KEY_READ | (view == RegistryView::Bits32 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY);
    if (RegOpenKeyExA(rootHandle, withoutLeadingBackslashes(path).c_str(), 0, access, &handle) != ERROR_SUCCESS)
        return std::nullopt;
    return RegistryKey(std::make_unique<State>(handle));
}

std::optional<RegistryValue> RegistryKey::value(const std::string& name) const
{
    DWORD type = 0;
    DWORD size = 0;
    LONG rc = RegQueryValueExA(state_->handle, name.c_str(), nullptr, &type, nullptr, &size);
    std::string data;
    // The value may grow between the two calls.
    while (rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA) {
        data.resize(size + 1);
        DWORD got = size + 1;
        rc = RegQueryValueExA(state_->handle, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &got);
        if (rc == ERROR_SUCCESS) {
            data.resize(got);
            return RegistryValue{RegistryType(type), std::move(data)};
        }
        size = got;
    }
    return std::nullopt;
}

#else

struct RegistryKey::State {
    RegistryFileKey key;
};

std::string registryFilePath()
{
    const char* path = std::getenv("KALVORA_REGISTRY");
    return path && *path ? path : "/etc/kalvora/kalvora.reg";
}

namespace {

// A file exported on 64-bit Windows keeps the 32-bit view's keys where the registry does.
std::string pathInView(RegistryRoot root, const std::string& path, RegistryView view)
{
    std::string relative = withoutLeadingBackslashes(path);
    const std::string software = "software\\";
    const bool belowSoftware = relative.size() >= software.size() &&
                               std::equal(software.begin(), software.end(), relative.begin(), [](char s, char r) {
                                   return s == std::tolower(static_cast<unsigned char>(r));
                               });
    if (view == RegistryView::Bits32 && root == RegistryRoot::LocalMachine && belowSoftware)
        relative.insert(software.size(), "WOW6432Node\\");
    return relative;
}

bool sameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

// What a file's status says of its bytes: a write changes its size or its change time.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    bool operator==(const FileStamp& o) const
    {
        return device == o.device && inode == o.inode && size == o.size && sameTime(modified, o.modified) &&
               sameTime(changed, o.changed);
    }
};

// The registry file is read on every conversion of a date to text, so its keys are kept
// while the file's status stays the same. The clock that stamps files moves in ticks of a
// few milliseconds: a file changed less than two seconds before it was read could be written
// again within the same tick, with the same size and times, so such a file is read again
// each time.
class RegistryFileCache {
public:
    std::optional<RegistryFileKey> key(const std::string& file, const std::string& keyPath)
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        struct stat status {};
        if (::stat(file.c_str(), &status) != 0) {
            forget();
            return std::nullopt;
        }
        const FileStamp stamp{status.st_dev, status.st_ino, status.st_size, status.st_mtim, status.st_ctim};
        if (!settled_ || file != file_ || stamp != stamp_) {
            forget();
            std::ifstream in(file, std::ios::binary);
            if (!in)
                return std::nullopt;
            content_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            file_ = file;
            stamp_ = stamp;
            settled_ = std::time(nullptr) - std::max(status.st_mtim.tv_sec, status.st_ctim.tv_sec) >= 2;
        }
        if (!settled_)
            return readRegistryFileKey(content_, keyPath);
        const auto known = keys_.find(keyPath);
        if (known != keys_.end())
            return known->second;
        return keys_.emplace(keyPath, readRegistryFileKey(content_, keyPath)).first->second;
    }

private:
    void forget()
    {
        settled_ = false;
        file_.clear();
        content_.clear();
        keys_.clear();
    }

    std::mutex mutex_;
    std::string file_;
    FileStamp stamp_;
    bool settled_ = false;
    std::string content_;
    std::map<std::string, std::optional<RegistryFileKey>> keys_;
};

}  // namespace

std::optional<RegistryKey> RegistryKey::open(RegistryRoot root, const std::string& path, RegistryView view)
{
    static RegistryFileCache cache;
    auto key = cache.key(registryFilePath(), rootName(root) + "\\" + pathInView(root, path, view));
    if (!key)
        return std::nullopt;
    return RegistryKey(std::make_unique<State>(State{std::move(*key)}));
}

std::optional<RegistryValue> RegistryKey::value(const std::string& name) const { return state_->key.value(name); }

#endif

RegistryKey::RegistryKey(std::unique_ptr<State> state) : state_(std::move(state)) {}
RegistryKey::RegistryKey(RegistryKey&&) noexcept = default;
RegistryKey& RegistryKey::operator=(RegistryKey&&) noexcept = default;
RegistryKey::~RegistryKey() = default;

}  // namespace kalvora
