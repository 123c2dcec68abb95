#include "fakes/FakeRegistry.h"

#include <algorithm>
#include <map>
#include <utility>

#include "fakes/FoldCase.h"
#include "base/Exception.h"
#include "base/Text.h"

using fakereg::Denial;
using fakereg::OpenRecord;
using fakereg::Value;

namespace fakereg {

struct Node {
    std::string Name;
    std::vector<std::pair<std::string, Value>> Values;  // in order of first write
    std::vector<std::shared_ptr<Node>> Children;        // sorted without regard to case
    bool Deleted = false;                               // an accessor may still hold it
};

using Path = std::vector<std::string>;

struct Refusal {
    std::uint32_t Root;
    Path Key;
    Denial Kind;
};

struct WriteFailure {
    std::uint32_t Root;
    Path Key;
    std::optional<std::string> Name;  // nullopt: every value
};

Path SplitPath(std::string_view path) {
    Path parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos) end = path.size();
        if (end > start) parts.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string JoinPath(const Path& parts) {
    std::string text;
    for (const auto& part : parts) text += "\\" + part;
    return text.empty() ? "\\" : text;
}

// True when `path` is `prefix` or lies below it.
bool Under(const Path& path, const Path& prefix) {
    if (path.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (!SameFolded(path[i], prefix[i])) return false;
    return true;
}

std::shared_ptr<Node> Child(const Node& node, std::string_view name) {
    for (const auto& child : node.Children)
        if (SameFolded(child->Name, name)) return child;
    return nullptr;
}

void MarkDeleted(Node& node) {
    node.Deleted = true;
    for (auto& child : node.Children) MarkDeleted(*child);
}

Value* FindValue(Node& node, std::string_view name) {
    for (auto& [n, v] : node.Values)
        if (SameFolded(n, name)) return &v;
    return nullptr;
}

void PutValue(Node& node, const std::string& name, Value value) {
    if (Value* old = FindValue(node, name))
        *old = std::move(value);  // keeps its place and the name's first spelling
    else
        node.Values.emplace_back(name, std::move(value));
}

bool IsStringType(std::uint32_t type) { return type == Sz || type == ExpandSz; }

// The size a reader of the ANSI era sees: strings in the ANSI code page with their NUL.
std::size_t DataSize(const Value& value) {
    return IsStringType(value.Type) ? Utf8ToAnsi(value.Data).size() + 1 : value.Data.size();
}

// REG_DWORD is little-endian.
std::string DwordBytes(std::int32_t value) {
    std::string bytes;
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>(static_cast<std::uint32_t>(value) >> (8 * i));
    return bytes;
}

std::int32_t DwordValue(const std::string& bytes) {
    std::uint32_t u = 0;
    for (int i = 0; i < 4; ++i) u |= std::uint32_t(static_cast<unsigned char>(bytes[i])) << (8 * i);
    return static_cast<std::int32_t>(u);
}

struct State {
    std::map<std::uint32_t, std::shared_ptr<Node>> Roots;
    std::vector<Refusal> Refusals;
    std::vector<WriteFailure> WriteFailures;
    std::vector<OpenRecord> Opens;
    int OpenKeys = 0;
    int LiveAccessors = 0;
    int CreatedAccessors = 0;
    std::function<void()> Changed;

    std::shared_ptr<Node> RootNode(std::uint32_t root) {
        auto& node = Roots[root];
        if (!node) node = std::make_shared<Node>();
        return node;
    }

    std::shared_ptr<Node> Find(std::uint32_t root, const Path& path) {
        auto node = RootNode(root);
        for (const auto& part : path) {
            node = Child(*node, part);
            if (!node) return nullptr;
        }
        return node;
    }

    std::shared_ptr<Node> FindOrCreate(std::uint32_t root, const Path& path) {
        auto node = RootNode(root);
        for (const auto& part : path) {
            auto next = Child(*node, part);
            if (!next) {
                next = std::make_shared<Node>();
                next->Name = part;
                auto pos = std::lower_bound(node->Children.begin(), node->Children.end(), part,
                                            [](const std::shared_ptr<Node>& c, const std::string& name) {
                                                return CompareFolded(c->Name, name) < 0;
                                            });
                node->Children.insert(pos, next);
            }
            node = next;
        }
        return node;
    }

    bool Remove(std::uint32_t root, const Path& path) {
        if (path.empty()) return false;
        auto parent = Find(root, Path(path.begin(), path.end() - 1));
        if (!parent) return false;
        auto& kids = parent->Children;
        for (auto it = kids.begin(); it != kids.end(); ++it) {
            if (SameFolded((*it)->Name, path.back())) {
                MarkDeleted(**it);
                kids.erase(it);
                return true;
            }
        }
        return false;
    }

    bool OpenDenied(std::uint32_t root, const Path& path) const {
        return std::any_of(Refusals.begin(), Refusals.end(), [&](const Refusal& r) {
            return r.Kind == Denial::Open && r.Root == root && Under(path, r.Key);
        });
    }

    bool WriteDenied(std::uint32_t root, const Path& path) const {
        return std::any_of(Refusals.begin(), Refusals.end(),
                           [&](const Refusal& r) { return r.Root == root && Under(path, r.Key); });
    }

    bool WriteFails(std::uint32_t root, const Path& path, const std::string& name) const {
        return std::any_of(WriteFailures.begin(), WriteFailures.end(), [&](const WriteFailure& f) {
            return f.Root == root && Under(path, f.Key) && (!f.Name || SameFolded(*f.Name, name));
        });
    }
};

}  // namespace fakereg

namespace {

using fakereg::Node;
using fakereg::Path;
using fakereg::State;

[[noreturn]] void Raise(const char* pattern, const std::string& name) {
    throw Exception(Format(pattern, {name}));
}

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
        const bool throughOpenKey = !IsAbsolute(key) && key_;
        const Path path = Resolve(key);
        OpenRecord record{root_, fakereg::JoinPath(path), access_, canCreate, false, false};
        std::shared_ptr<Node> node = Admit(path, throughOpenKey);
        if (!node && Admitted(path, throughOpenKey) && canCreate && !state_.WriteDenied(root_, path) &&
            (!throughOpenKey || (keyAccess_ & fakereg::CreateSubKey))) {
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
        const Path path = Resolve(key);
        if (!IsAbsolute(key) && key_ && key_->Deleted) return false;
        return !state_.OpenDenied(root_, path) && state_.Find(root_, path) != nullptr;
    }

    bool ValueExists(const std::string& name) override { return Readable(name) != nullptr; }

    std::string ReadString(const std::string& name) override {
        if (!key_) return "";
        const Value* value = Query(name);
        if (!value) return "";
        if (!fakereg::IsStringType(value->Type)) Raise(reg::InvalidTypeText, name);
        return value->Data;
    }

    std::int32_t ReadInteger(const std::string& name) override {
        if (!key_) Raise(reg::GetDataFailedText, name);
        const Value* value = Query(name);
        if (!value || fakereg::DataSize(*value) > 4) Raise(reg::GetDataFailedText, name);
        if (value->Type != fakereg::Dword) Raise(reg::InvalidTypeText, name);
        if (value->Data.size() != 4) Raise(reg::GetDataFailedText, name);
        return fakereg::DwordValue(value->Data);
    }

    void WriteString(const std::string& name, const std::string& value) override {
        if (!Writable(name)) Raise(reg::SetDataFailedText, name);
        fakereg::PutValue(*key_, name, Value{fakereg::Sz, value});
        Changed();
    }

    void WriteInteger(const std::string& name, std::int32_t value) override {
        if (!Writable(name)) Raise(reg::SetDataFailedText, name);
        fakereg::PutValue(*key_, name, Value{fakereg::Dword, fakereg::DwordBytes(value)});
        Changed();
    }

    std::vector<std::string> GetValueNames() override {
        std::vector<std::string> names;
        if (Live() && (keyAccess_ & fakereg::QueryValue))
            for (const auto& entry : key_->Values) names.push_back(entry.first);
        return names;
    }

    std::vector<std::string> GetKeyNames() override {
        std::vector<std::string> names;
        if (Live() && (keyAccess_ & fakereg::EnumerateSubKeys))
            for (const auto& child : key_->Children) names.push_back(child->Name);
        return names;
    }

    bool DeleteValue(const std::string& name) override {
        if (!Writable(name)) return false;
        auto& values = key_->Values;
        for (auto it = values.begin(); it != values.end(); ++it) {
            if (SameFolded(it->first, name)) {
                values.erase(it);
                return Changed(), true;
            }
        }
        return false;
    }

    bool DeleteKey(const std::string& key) override {
        if (!IsAbsolute(key) && key_ && key_->Deleted) return false;
        // As the real accessor: an empty path would name the open key or the root.
        if (fakereg::SplitPath(key).empty()) return false;
        const Path path = Resolve(key);
        if (state_.WriteDenied(root_, path) || !state_.Remove(root_, path)) return false;
        return Changed(), true;
    }

private:
    void Changed() const {
        if (state_.Changed) state_.Changed();
    }
    static bool IsAbsolute(const std::string& key) { return !key.empty() && key[0] == '\\'; }

    bool Live() const { return key_ && !key_->Deleted; }

    Path Resolve(const std::string& key) const {
        Path path = IsAbsolute(key) || !key_ ? Path() : keyPath_;
        for (auto& part : fakereg::SplitPath(key)) path.push_back(std::move(part));
        return path;
    }

    // Whether an open of `path` with the current mask is allowed at all.
    bool Admitted(const Path& path, bool throughOpenKey) const {
        if (throughOpenKey && key_->Deleted) return false;
        if (state_.OpenDenied(root_, path)) return false;
        if ((access_ & fakereg::WriteRights) && state_.WriteDenied(root_, path)) return false;
        return true;
    }

    std::shared_ptr<Node> Admit(const Path& path, bool throughOpenKey) {
        return Admitted(path, throughOpenKey) ? state_.Find(root_, path) : nullptr;
    }

    // RegQueryValueEx on the open key: a key deleted meanwhile or opened
    // without KEY_QUERY_VALUE refuses (ERROR_KEY_DELETED, ERROR_ACCESS_DENIED).
    const Value* Query(const std::string& name) const {
        if (!Live() || !(keyAccess_ & fakereg::QueryValue)) Raise(reg::GetDataFailedText, name);
        return fakereg::FindValue(*key_, name);
    }

    const Value* Readable(const std::string& name) const {
        if (!Live() || !(keyAccess_ & fakereg::QueryValue)) return nullptr;
        return fakereg::FindValue(*key_, name);
    }

    bool Writable(const std::string& name) const {
        return Live() && (keyAccess_ & fakereg::SetValue) && !state_.WriteFails(root_, keyPath_, name);
    }

    State& state_;
    std::uint32_t root_ = reg::HKeyCurrentUser;
    std::uint32_t access_;
    std::shared_ptr<Node> key_;
    Path keyPath_;
    std::uint32_t keyAccess_ = 0;
};

}  // namespace

FakeRegistryFactory::FakeRegistryFactory() : state_(std::make_unique<State>()) {}
FakeRegistryFactory::~FakeRegistryFactory() = default;

std::unique_ptr<TRegistry> FakeRegistryFactory::Create(std::uint32_t access) {
    return std::make_unique<FakeRegistry>(*state_, access);
}

void FakeRegistryFactory::CreateKey(std::uint32_t root, const std::string& path) {
    state_->FindOrCreate(root, fakereg::SplitPath(path));
}

void FakeRegistryFactory::SetString(std::uint32_t root, const std::string& path, const std::string& name,
                                    const std::string& value) {
    SetValue(root, path, name, Value{fakereg::Sz, value});
}

void FakeRegistryFactory::SetDword(std::uint32_t root, const std::string& path, const std::string& name,
                                   std::int32_t value) {
    SetValue(root, path, name, Value{fakereg::Dword, fakereg::DwordBytes(value)});
}

void FakeRegistryFactory::SetValue(std::uint32_t root, const std::string& path, const std::string& name,
                                   Value value) {
    fakereg::PutValue(*state_->FindOrCreate(root, fakereg::SplitPath(path)), name, std::move(value));
}

void FakeRegistryFactory::RemoveKey(std::uint32_t root, const std::string& path) {
    state_->Remove(root, fakereg::SplitPath(path));
}

bool FakeRegistryFactory::HasKey(std::uint32_t root, const std::string& path) const {
    return state_->Find(root, fakereg::SplitPath(path)) != nullptr;
}

bool FakeRegistryFactory::HasValue(std::uint32_t root, const std::string& path, const std::string& name) const {
    return GetValue(root, path, name).has_value();
}

std::optional<Value> FakeRegistryFactory::GetValue(std::uint32_t root, const std::string& path,
                                                   const std::string& name) const {
    auto node = state_->Find(root, fakereg::SplitPath(path));
    if (!node) return std::nullopt;
    const Value* value = fakereg::FindValue(*node, name);
    if (!value) return std::nullopt;
    return *value;
}

std::optional<std::string> FakeRegistryFactory::GetString(std::uint32_t root, const std::string& path,
                                                          const std::string& name) const {
    auto value = GetValue(root, path, name);
    if (!value || !fakereg::IsStringType(value->Type)) return std::nullopt;
    return value->Data;
}

std::optional<std::int32_t> FakeRegistryFactory::GetDword(std::uint32_t root, const std::string& path,
                                                          const std::string& name) const {
    auto value = GetValue(root, path, name);
    if (!value || value->Type != fakereg::Dword || value->Data.size() != 4) return std::nullopt;
    return fakereg::DwordValue(value->Data);
}

std::vector<std::string> FakeRegistryFactory::KeyNames(std::uint32_t root, const std::string& path) const {
    std::vector<std::string> names;
    if (auto node = state_->Find(root, fakereg::SplitPath(path)))
        for (const auto& child : node->Children) names.push_back(child->Name);
    return names;
}

std::vector<std::string> FakeRegistryFactory::ValueNames(std::uint32_t root, const std::string& path) const {
    std::vector<std::string> names;
    if (auto node = state_->Find(root, fakereg::SplitPath(path)))
        for (const auto& entry : node->Values) names.push_back(entry.first);
    return names;
}

void FakeRegistryFactory::Deny(std::uint32_t root, const std::string& path, Denial denial) {
    state_->Refusals.push_back({root, fakereg::SplitPath(path), denial});
}

void FakeRegistryFactory::FailWrites(std::uint32_t root, const std::string& path) {
    state_->WriteFailures.push_back({root, fakereg::SplitPath(path), std::nullopt});
}

void FakeRegistryFactory::FailWrite(std::uint32_t root, const std::string& path, const std::string& name) {
    state_->WriteFailures.push_back({root, fakereg::SplitPath(path), name});
}

const std::vector<OpenRecord>& FakeRegistryFactory::Opens() const { return state_->Opens; }

std::vector<OpenRecord> FakeRegistryFactory::OpensOf(std::uint32_t root, const std::string& path) const {
    const std::string wanted = fakereg::JoinPath(fakereg::SplitPath(path));
    std::vector<OpenRecord> found;
    for (const auto& record : state_->Opens)
        if (record.Root == root && SameFolded(record.Path, wanted)) found.push_back(record);
    return found;
}

void FakeRegistryFactory::OnChange(std::function<void()> changed) { state_->Changed = std::move(changed); }

void FakeRegistryFactory::ClearOpens() { state_->Opens.clear(); }

int FakeRegistryFactory::OpenKeyCount() const { return state_->OpenKeys; }
int FakeRegistryFactory::LiveAccessorCount() const { return state_->LiveAccessors; }
int FakeRegistryFactory::CreatedAccessorCount() const { return state_->CreatedAccessors; }
