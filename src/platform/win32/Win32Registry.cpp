#include "platform/win32/Win32Registry.h"

#include "base/Exception.h"
#include "base/Text.h"
#include "platform/win32/WideText.h"

namespace {

HKEY PredefinedKey(std::uint32_t root) {
    // The predefined keys are sign-extended constants (HKEY_CURRENT_USER is
    // (HKEY)(ULONG_PTR)(LONG)0x80000001).
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)));
}

[[noreturn]] void Fail(const char* pattern, const std::string& name) { throw Exception(Format(pattern, {name})); }

// Names grow the buffer until they fit; no registry name is longer than this.
constexpr DWORD MaxNameLength = 32767;

// RegEnumValueW or RegEnumKeyExW over every value or subkey of `key`: the
// same first four arguments, the others not wanted.
template <class EnumFn>
std::vector<std::string> EnumNames(HKEY key, EnumFn enumerate) {
    std::vector<std::string> names;
    std::wstring buffer(256, L'\0');
    for (DWORD index = 0;;) {
        DWORD length = static_cast<DWORD>(buffer.size());
        const LSTATUS status = enumerate(key, index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA && buffer.size() <= MaxNameLength) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (status != ERROR_SUCCESS) break;
        names.push_back(WideToUtf8(std::wstring_view(buffer.data(), length)));
        ++index;
    }
    return names;
}

}  // namespace

TWin32Registry::TWin32Registry(std::uint32_t access) : access_(access) {}

void TWin32Registry::SetRootKey(std::uint32_t root) {
    if (root == root_) return;
    root_ = root;
    // A key of the old root means nothing under the new one.
    CloseKey();
}

TWin32Registry::Target TWin32Registry::Resolve(const std::string& key) const {
    if (!key.empty() && key.front() == '\\') return {PredefinedKey(root_), Utf8ToWide(std::string_view(key).substr(1))};
    return {current_ ? current_.get() : PredefinedKey(root_), Utf8ToWide(key)};
}

bool TWin32Registry::OpenKey(const std::string& key, bool canCreate) {
    const Target target = Resolve(key);
    UniqueHKey opened;
    const LSTATUS status =
        canCreate ? ::RegCreateKeyExW(target.base, target.path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access_,
                                      nullptr, opened.put(), nullptr)
                  : ::RegOpenKeyExW(target.base, target.path.c_str(), 0, access_, opened.put());
    // A failed open keeps the key that was open.
    if (status != ERROR_SUCCESS) return false;
    current_ = std::move(opened);
    return true;
}

bool TWin32Registry::KeyExists(const std::string& key) {
    const Target target = Resolve(key);
    UniqueHKey probe;
    return ::RegOpenKeyExW(target.base, target.path.c_str(), 0,
                           STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS,
                           probe.put()) == ERROR_SUCCESS;
}

bool TWin32Registry::ValueExists(const std::string& name) {
    if (!current_) return false;
    return ::RegQueryValueExW(current_.get(), Utf8ToWide(name).c_str(), nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

std::string TWin32Registry::ReadString(const std::string& name) {
    if (!current_) return {};
    const std::wstring wideName = Utf8ToWide(name);
    DWORD type = 0;
    DWORD size = 0;
    LSTATUS status = ::RegQueryValueExW(current_.get(), wideName.c_str(), nullptr, &type, nullptr, &size);
    if (status == ERROR_FILE_NOT_FOUND) return {};
    if (status != ERROR_SUCCESS) Fail(reg::GetDataFailedText, name);
    if (type != REG_SZ && type != REG_EXPAND_SZ) Fail(reg::InvalidTypeText, name);

    // One spare character: the stored data need not end with a NUL.
    std::wstring buffer(size / sizeof(wchar_t) + 1, L'\0');
    DWORD got = size;
    status = ::RegQueryValueExW(current_.get(), wideName.c_str(), nullptr, &type,
                                reinterpret_cast<BYTE*>(buffer.data()), &got);
    if (status != ERROR_SUCCESS) Fail(reg::GetDataFailedText, name);
    if (type != REG_SZ && type != REG_EXPAND_SZ) Fail(reg::InvalidTypeText, name);
    buffer.resize(got / sizeof(wchar_t));
    // The text ends at its terminating NUL.
    if (const auto end = buffer.find(L'\0'); end != std::wstring::npos) buffer.resize(end);
    return WideToUtf8(buffer);
}

std::int32_t TWin32Registry::ReadInteger(const std::string& name) {
    if (!current_) Fail(reg::GetDataFailedText, name);
    const std::wstring wideName = Utf8ToWide(name);
    DWORD type = 0;
    DWORD size = 0;
    LSTATUS status = ::RegQueryValueExW(current_.get(), wideName.c_str(), nullptr, &type, nullptr, &size);
    if (status != ERROR_SUCCESS) Fail(reg::GetDataFailedText, name);

    // Data that do not fit into four bytes fail before the type is looked at.
    // A string is measured as the ANSI program this one replaces saw it: in
    // the code page with its NUL, so up to three characters fit.
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        const std::size_t ansiSize = Utf8ToAnsi(ReadString(name)).size() + 1;
        Fail(ansiSize > sizeof(DWORD) ? reg::GetDataFailedText : reg::InvalidTypeText, name);
    }
    if (size > sizeof(DWORD)) Fail(reg::GetDataFailedText, name);
    if (type != REG_DWORD) Fail(reg::InvalidTypeText, name);

    DWORD value = 0;
    size = sizeof(value);
    status = ::RegQueryValueExW(current_.get(), wideName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                                &size);
    if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(value)) Fail(reg::GetDataFailedText, name);
    return static_cast<std::int32_t>(value);
}

void TWin32Registry::WriteValue(const std::string& name, DWORD type, const void* data, DWORD size) {
    if (!current_ || ::RegSetValueExW(current_.get(), Utf8ToWide(name).c_str(), 0, type,
                                      static_cast<const BYTE*>(data), size) != ERROR_SUCCESS)
        Fail(reg::SetDataFailedText, name);
}

void TWin32Registry::WriteString(const std::string& name, const std::string& value) {
    const std::wstring wide = Utf8ToWide(value);
    // c_str() carries the terminating NUL, which is stored with the text.
    WriteValue(name, REG_SZ, wide.c_str(), static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
}

void TWin32Registry::WriteInteger(const std::string& name, std::int32_t value) {
    const DWORD data = static_cast<DWORD>(value);
    WriteValue(name, REG_DWORD, &data, sizeof(data));
}

std::vector<std::string> TWin32Registry::GetValueNames() {
    return current_ ? EnumNames(current_.get(), ::RegEnumValueW) : std::vector<std::string>();
}

std::vector<std::string> TWin32Registry::GetKeyNames() {
    return current_ ? EnumNames(current_.get(), ::RegEnumKeyExW) : std::vector<std::string>();
}

bool TWin32Registry::DeleteValue(const std::string& name) {
    if (!current_) return false;
    return ::RegDeleteValueW(current_.get(), Utf8ToWide(name).c_str()) == ERROR_SUCCESS;
}

bool TWin32Registry::DeleteKey(const std::string& key) {
    const Target target = Resolve(key);
    // An empty path would name the base key itself: never wipe a root or the
    // open key's contents by accident.
    if (target.path.empty()) return false;
    return ::RegDeleteTreeW(target.base, target.path.c_str()) == ERROR_SUCCESS;
}

std::unique_ptr<TRegistry> TWin32RegistryFactory::Create(std::uint32_t access) {
    return std::make_unique<TWin32Registry>(access);
}
