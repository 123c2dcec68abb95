#include "fakes/FakeRegistry.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <utility>

#include "base/Exception.h"
#include "base/Text.h"
#include "fakes/FoldCase.h"

using fakereg::Denial;
using fakereg::OpenRecord;
using fakereg::Value;

namespace fakereg {
namespace {

// Access bits the fake checks; any of WriteRights makes an open "for writing".
constexpr std::uint32_t QueryValue = 0x0001, SetValue = 0x0002, CreateSubKey = 0x0004, EnumerateSubKeys = 0x0008;
constexpr std::uint32_t WriteRights = 0x0002 | 0x0004 | 0x0020 | 0x10000 | 0x40000 | 0x80000;

// "\A\B" for any spelling ("A\B\", "\\A\\B"), "" for the root.
std::string Canon(std::string_view path) {
    std::string out;
    for (std::size_t start = 0; start <= path.size();) {
        const std::size_t end = std::min(path.find('\\', start), path.size());
        if (end > start) (out += '\\') += path.substr(start, end - start);
        start = end + 1;
    }
    return out;
}

// Both folded: `path` is `key` or lies below it.
bool Under(const std::string& path, const std::string& key) {
    return path.compare(0, key.size(), key) == 0 && (path.size() == key.size() || path[key.size()] == '\\');
}

bool IsString(std::uint32_t type) { return type == Sz || type == ExpandSz; }

// REG_DWORD is little-endian, as are the machines the suites run on.
std::string DwordBytes(std::int32_t value) { return std::string(reinterpret_cast<const char*>(&value), 4); }
std::int32_t DwordValue(const std::string& bytes) {
    std::int32_t value;
    std::memcpy(&value, bytes.data(), 4);
    return value;
}

}  // namespace

struct Node {
    std::string Name;  // as first spelled
    std::vector<std::pair<std::string, Value>> Values;  // in order of first write
    bool Deleted = false;  // an accessor may still hold it

    Value* Find(std::string_view name) {
        for (auto& [n, v] : Values)
            if (SameFolded(n, name)) return &v;
        return nullptr;
    }
    bool Erase(std::string_view name) {
        const auto it =
            std::find_if(Values.begin(), Values.end(), [&](const auto& v) { return SameFolded(v.first, name); });
        return it != Values.end() && (Values.erase(it), true);
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : Values) names.push_back(entry.first);
        return names;
    }
    void Put(const std::string& name, Value value) {
        if (Value* old = Find(name))
            *old = std::move(value);  // keeps its place and the name's first spelling
        else
            Values.emplace_back(name, std::move(value));
    }
};

struct State {
    // By root and folded path: the map's order under one parent is the
    // registry's order of subkeys.
    std::map<std::pair<std::uint32_t, std::string>, std::shared_ptr<Node>> Keys;
    struct Fault {
        std::uint32_t Root;
        std::string Key;  // folded
        std::optional<Denial> Refused;  // nullopt: a failing write, of `Name` or of every value
        std::optional<std::string> Name;
    };
    std::vector<Fault> Faults;
    void AddFault(std::uint32_t root, const std::string& path, std::optional<Denial> refused,
                  std::optional<std::string> name) {
        Faults.push_back({root, FoldCase(Canon(path)), refused, std::move(name)});
    }
    std::vector<OpenRecord> Opens;
    int OpenKeys = 0, LiveAccessors = 0, CreatedAccessors = 0;
    std::function<void()> Changed;

    std::shared_ptr<Node> Find(std::uint32_t root, const std::string& path) {
        if (path.empty()) return FindOrCreate(root, path);  // the roots always exist
        const auto it = Keys.find({root, FoldCase(path)});
        return it == Keys.end() ? nullptr : it->second;
    }

    std::shared_ptr<Node> FindOrCreate(std::uint32_t root, const std::string& path) {
        const auto slot = [&](std::size_t end, std::string name) {
            auto& node = Keys[{root, FoldCase(path.substr(0, end))}];
            if (!node) node = std::make_shared<Node>(Node{std::move(name), {}, false});
            return node;
        };
        auto node = slot(0, "");
        for (std::size_t start = 1; start <= path.size();) {
            const std::size_t end = std::min(path.find('\\', start), path.size());
            node = slot(end, path.substr(start, end - start));
            start = end + 1;
        }
        return node;
    }

    // The keys below a folded path: all of them begin with it and a backslash.
    auto Below(std::uint32_t root, const std::string& key) {
        return std::pair(Keys.lower_bound({root, key + '\\'}), Keys.lower_bound({root, key + char('\\' + 1)}));
    }

    std::vector<std::string> Subkeys(std::uint32_t root, const std::string& path) {
        const std::string key = FoldCase(path);
        std::vector<std::string> names;
        for (auto [it, end] = Below(root, key); it != end; ++it)
            if (it->first.second.find('\\', key.size() + 1) == std::string::npos) names.push_back(it->second->Name);
        return names;
    }

    bool Remove(std::uint32_t root, const std::string& path) {
        const std::string key = FoldCase(path);
        const auto it = Keys.find({root, key});
        if (key.empty() || it == Keys.end()) return false;
        auto [first, last] = Below(root, key);
        for (auto sub = first; sub != last; ++sub) sub->second->Deleted = true;
        Keys.erase(first, last);
        it->second->Deleted = true;
        Keys.erase(it);
        return true;
    }

    // Opens refused at `path`: every one, or with `writing` also those a write refusal covers.
    bool Denied(std::uint32_t root, const std::string& path, bool writing) const {
        return Faulted(root, path, [&](auto& f) { return f.Refused && (writing || *f.Refused == Denial::Open); });
    }
    bool WriteFails(std::uint32_t root, const std::string& path, const std::string& name) const {
        return Faulted(root, path, [&](auto& f) { return !f.Refused && (!f.Name || SameFolded(*f.Name, name)); });
    }
    template <class Which>
    bool Faulted(std::uint32_t root, const std::string& path, Which which) const {
        return std::any_of(Faults.begin(), Faults.end(),
                           [&](const Fault& f) { return f.Root == root && Under(FoldCase(path), f.Key) && which(f); });
    }
};

namespace {

using Names = std::vector<std::string>;

[[noreturn]] void Raise(const char* pattern, const std::string& name) { throw Exception(Format(pattern, {name})); }

class FakeRegistry : public TRegistry {
public:
    FakeRegistry(State& state, std::uint32_t access) : state_(state), access_(access) {
        ++state_.LiveAccessors;
        ++state_.CreatedAccessors;
    }
    ~FakeRegistry() override {
        CloseKey();
        --state_.LiveAccessors;
    }

    void SetRootKey(std::uint32_t root) override {
        if (root == root_) return;
        CloseKey();
        root_ = root;
    }
    std::uint32_t RootKey() const override { return root_; }
    void SetAccess(std::uint32_t access) override { access_ = access; }
    std::uint32_t Access() const override { return access_; }

    bool OpenKey(const std::string& key, bool canCreate) override {
        const std::string path = Resolve(key);
        OpenRecord record{root_, path.empty() ? "\\" : path, access_, canCreate, false, false};
        const bool admitted = !ThroughDeleted(key) && !state_.Denied(root_, path, access_ & WriteRights);
        std::shared_ptr<Node> node = admitted ? state_.Find(root_, path) : nullptr;
        // A subkey of the open key needs KEY_CREATE_SUB_KEY on it.
        if (!node && admitted && canCreate && !state_.Denied(root_, path, true) &&
            (IsAbsolute(key) || !key_ || (keyAccess_ & CreateSubKey))) {
            node = state_.FindOrCreate(root_, path);
            record.Created = true;
            Changed();
        }
        if (node) {
            CloseKey();
            key_ = node;
            keyPath_ = path;
            keyAccess_ = access_;
            ++state_.OpenKeys;
            record.Succeeded = true;
        }
        state_.Opens.push_back(record);
        return record.Succeeded;
    }

    void CloseKey() override {
        if (!key_) return;
        key_.reset();
        keyPath_.clear();
        --state_.OpenKeys;
    }

    bool KeyExists(const std::string& key) override {
        const std::string path = Resolve(key);
        return !ThroughDeleted(key) && !state_.Denied(root_, path, false) && state_.Find(root_, path);
    }

    bool ValueExists(const std::string& name) override { return Readable() && key_->Find(name); }

    std::string ReadString(const std::string& name) override {
        if (!key_) return "";
        const Value* value = Query(name);
        if (!value) return "";
        if (!IsString(value->Type)) Raise(reg::InvalidTypeText, name);
        return value->Data;
    }

    // A string is measured as an ANSI-era reader sees it: in the code page, with its NUL.
    std::int32_t ReadInteger(const std::string& name) override {
        const Value* value = Query(name);
        if (!value) Raise(reg::GetDataFailedText, name);
        const std::size_t size = IsString(value->Type) ? Utf8ToAnsi(value->Data).size() + 1 : value->Data.size();
        if (size > 4) Raise(reg::GetDataFailedText, name);
        if (value->Type != Dword) Raise(reg::InvalidTypeText, name);
        if (size != 4) Raise(reg::GetDataFailedText, name);
        return DwordValue(value->Data);
    }

    void WriteString(const std::string& name, const std::string& value) override { Write(name, {Sz, value}); }
    void WriteInteger(const std::string& name, std::int32_t value) override { Write(name, {Dword, DwordBytes(value)}); }

    Names GetValueNames() override { return Holds(QueryValue) ? key_->Names() : Names(); }
    Names GetKeyNames() override { return Holds(EnumerateSubKeys) ? state_.Subkeys(root_, keyPath_) : Names(); }

    bool DeleteValue(const std::string& name) override {
        if (!Writable(name) || !key_->Erase(name)) return false;
        return Changed(), true;
    }

    bool DeleteKey(const std::string& key) override {
        // As the real accessor: an empty path would name the open key or the root.
        if (ThroughDeleted(key) || Canon(key).empty()) return false;
        const std::string path = Resolve(key);
        if (state_.Denied(root_, path, true) || !state_.Remove(root_, path)) return false;
        return Changed(), true;
    }

private:
    void Changed() const {
        if (state_.Changed) state_.Changed();
    }
    static bool IsAbsolute(const std::string& key) { return !key.empty() && key[0] == '\\'; }
    // A relative path through a key deleted meanwhile reaches nothing.
    bool ThroughDeleted(const std::string& key) const { return !IsAbsolute(key) && key_ && key_->Deleted; }

    std::string Resolve(const std::string& key) const {
        return (IsAbsolute(key) || !key_ ? "" : keyPath_) + Canon(key);
    }

    // Calls on a key deleted meanwhile, or opened without the right they
    // need, are refused (ERROR_KEY_DELETED, ERROR_ACCESS_DENIED).
    bool Holds(std::uint32_t right) const { return key_ && !key_->Deleted && (keyAccess_ & right); }
    bool Readable() const { return Holds(QueryValue); }
    const Value* Query(const std::string& name) const {
        if (!Readable()) Raise(reg::GetDataFailedText, name);
        return key_->Find(name);
    }
    bool Writable(const std::string& name) const {
        return Holds(SetValue) && !state_.WriteFails(root_, keyPath_, name);
    }
    void Write(const std::string& name, Value value) {
        if (!Writable(name)) Raise(reg::SetDataFailedText, name);
        key_->Put(name, std::move(value));
        Changed();
    }

    State& state_;
    std::uint32_t root_ = reg::HKeyCurrentUser;
    std::uint32_t access_;
    std::shared_ptr<Node> key_;
    std::string keyPath_;  // as spelled when opened
    std::uint32_t keyAccess_ = 0;
};

}  // namespace
}  // namespace fakereg

using Factory = FakeRegistryFactory;
using std::string, std::uint32_t;

Factory::FakeRegistryFactory() : state_(std::make_unique<fakereg::State>()) {}
Factory::~FakeRegistryFactory() = default;
std::unique_ptr<TRegistry> Factory::Create(uint32_t access) {
    return std::make_unique<fakereg::FakeRegistry>(*state_, access);
}

void Factory::CreateKey(uint32_t root, const string& path) { state_->FindOrCreate(root, fakereg::Canon(path)); }
void Factory::SetString(uint32_t root, const string& path, const string& name, const string& value) {
    SetValue(root, path, name, {fakereg::Sz, value});
}
void Factory::SetDword(uint32_t root, const string& path, const string& name, std::int32_t value) {
    SetValue(root, path, name, {fakereg::Dword, fakereg::DwordBytes(value)});
}
void Factory::SetValue(uint32_t root, const string& path, const string& name, Value value) {
    state_->FindOrCreate(root, fakereg::Canon(path))->Put(name, std::move(value));
}
void Factory::RemoveKey(uint32_t root, const string& path) { state_->Remove(root, fakereg::Canon(path)); }

bool Factory::HasKey(uint32_t root, const string& path) const {
    return state_->Find(root, fakereg::Canon(path)) != nullptr;
}
bool Factory::HasValue(uint32_t root, const string& path, const string& name) const {
    return GetValue(root, path, name).has_value();
}
std::optional<Value> Factory::GetValue(uint32_t root, const string& path, const string& name) const {
    const auto node = state_->Find(root, fakereg::Canon(path));
    const Value* value = node ? node->Find(name) : nullptr;
    return value ? std::optional(*value) : std::nullopt;
}
std::optional<string> Factory::GetString(uint32_t root, const string& path, const string& name) const {
    const auto value = GetValue(root, path, name);
    return value && fakereg::IsString(value->Type) ? std::optional(value->Data) : std::nullopt;
}
std::optional<std::int32_t> Factory::GetDword(uint32_t root, const string& path, const string& name) const {
    const auto value = GetValue(root, path, name);
    if (!value || value->Type != fakereg::Dword || value->Data.size() != 4) return std::nullopt;
    return fakereg::DwordValue(value->Data);
}
std::vector<string> Factory::KeyNames(uint32_t root, const string& path) const {
    return state_->Subkeys(root, fakereg::Canon(path));
}
std::vector<string> Factory::ValueNames(uint32_t root, const string& path) const {
    const auto node = state_->Find(root, fakereg::Canon(path));
    return node ? node->Names() : std::vector<string>();
}

void Factory::Deny(uint32_t root, const string& path, Denial denial) { state_->AddFault(root, path, denial, {}); }
void Factory::FailWrites(uint32_t root, const string& path) { state_->AddFault(root, path, {}, {}); }
void Factory::FailWrite(uint32_t root, const string& path, const string& name) {
    state_->AddFault(root, path, {}, name);
}

const std::vector<OpenRecord>& Factory::Opens() const { return state_->Opens; }
std::vector<OpenRecord> Factory::OpensOf(uint32_t root, const string& path) const {
    const string wanted = fakereg::Canon(path);
    std::vector<OpenRecord> found;
    for (const auto& record : state_->Opens)
        if (record.Root == root && SameFolded(fakereg::Canon(record.Path), wanted)) found.push_back(record);
    return found;
}
void Factory::ClearOpens() { state_->Opens.clear(); }
void Factory::OnChange(std::function<void()> changed) { state_->Changed = std::move(changed); }

int Factory::OpenKeyCount() const { return state_->OpenKeys; }
int Factory::LiveAccessorCount() const { return state_->LiveAccessors; }
int Factory::CreatedAccessorCount() const { return state_->CreatedAccessors; }
