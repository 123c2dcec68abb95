#include "fakes/OdbcIniMirror.h"

#include <fstream>

#include "platform/Text.h"

namespace {

constexpr const char* OdbcIni = "\\SOFTWARE\\ODBC\\ODBC.INI";

// Forwards everything; whatever changes the registry is mirrored at once.
class MirroredRegistry : public TRegistry {
public:
    MirroredRegistry(const OdbcIniMirror& mirror, std::unique_ptr<TRegistry> inner)
        : mirror_(mirror), inner_(std::move(inner)) {}

    void SetRootKey(std::uint32_t root) override { inner_->SetRootKey(root); }
    std::uint32_t RootKey() const override { return inner_->RootKey(); }
    void SetAccess(std::uint32_t access) override { inner_->SetAccess(access); }
    std::uint32_t Access() const override { return inner_->Access(); }
    bool OpenKey(const std::string& key, bool canCreate) override { return Synced(inner_->OpenKey(key, canCreate)); }
    void CloseKey() override { inner_->CloseKey(); }
    bool KeyExists(const std::string& key) override { return inner_->KeyExists(key); }
    bool ValueExists(const std::string& name) override { return inner_->ValueExists(name); }
    std::string ReadString(const std::string& name) override { return inner_->ReadString(name); }
    std::int32_t ReadInteger(const std::string& name) override { return inner_->ReadInteger(name); }
    void WriteString(const std::string& name, const std::string& value) override {
        inner_->WriteString(name, value);
        mirror_.Sync();
    }
    void WriteInteger(const std::string& name, std::int32_t value) override {
        inner_->WriteInteger(name, value);
        mirror_.Sync();
    }
    std::vector<std::string> GetValueNames() override { return inner_->GetValueNames(); }
    std::vector<std::string> GetKeyNames() override { return inner_->GetKeyNames(); }
    bool DeleteValue(const std::string& name) override { return Synced(inner_->DeleteValue(name)); }
    bool DeleteKey(const std::string& key) override { return Synced(inner_->DeleteKey(key)); }

private:
    bool Synced(bool result) {
        mirror_.Sync();
        return result;
    }

    const OdbcIniMirror& mirror_;
    std::unique_ptr<TRegistry> inner_;
};

}  // namespace

OdbcIniMirror::OdbcIniMirror(FakeRegistryFactory& registry, std::string iniPath)
    : registry_(registry), iniPath_(std::move(iniPath)) {
    Sync();
}

std::unique_ptr<TRegistry> OdbcIniMirror::Create(std::uint32_t access) {
    return std::make_unique<MirroredRegistry>(*this, registry_.Create(access));
}

void OdbcIniMirror::Sync() const {
    std::ofstream ini(iniPath_, std::ios::trunc);
    const auto root = reg::HKeyLocalMachine;
    for (const std::string& section : registry_.KeyNames(root, OdbcIni)) {
        const std::string key = std::string(OdbcIni) + "\\" + section;
        ini << "[" << section << "]\n";
        for (const std::string& name : registry_.ValueNames(root, key)) {
            const std::string value = registry_.GetString(root, key, name).value_or("");
            ini << name << "=" << value << "\n";
            if (SameText(name, "Server")) ini << "Database=" << value << "\n";
        }
    }
}
