#pragma once
// Discovery services that answer what the test set and remember what they
// were asked. "Nothing" stands for every failure the real ones can meet.
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/OdbcBrowser.h"
#include "platform/ServerEnumerator.h"
#include "platform/ServiceManager.h"

struct FakeOdbcBrowser : TOdbcBrowser {
    std::optional<std::string> Browse(const std::string& request) override {
        Requests.push_back(request);
        if (Throws) throw std::runtime_error("browse broke");
        return Answer;
    }
    std::optional<std::string> Answer;  // nothing: the browse fails
    bool Throws = false;
    std::vector<std::string> Requests;
};

struct FakeServerEnumerator : TServerEnumerator {
    std::optional<std::vector<std::string>> SqlServers() override {
        ++Calls;
        return Machines;
    }
    std::optional<std::vector<std::string>> Machines;  // nothing: the enumeration fails
    int Calls = 0;
};

struct FakeServiceManager : TServiceManager {
    std::optional<std::vector<std::string>> ServiceNames(const std::string& machinePath) override {
        Opened.push_back(machinePath);
        const auto found = Services.find(machinePath);
        return found == Services.end() ? std::nullopt : std::optional(found->second);
    }
    // Machine path -> its services; a machine not here refuses the connection.
    std::map<std::string, std::vector<std::string>> Services;
    std::vector<std::string> Opened;
};
