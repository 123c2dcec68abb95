#pragma once
// Files on kernel32.
#include "platform/FileSystem.h"

class TWin32FileSystem : public TFileSystem {
public:
    bool FileExists(const std::string& path) override;
    bool FileExistsChecked(const std::string& path) override;
    std::string ReadBytes(const std::string& path) override;
    void WriteBytes(const std::string& path, const std::string& bytes) override;
};
