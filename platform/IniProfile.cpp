#include "platform/IniProfile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wall"
#pragma GCC diagnostic ignored "-Wextra"
#include <SimpleIni.h>
#pragma GCC diagnostic pop

struct IniProfile::Store {
    CSimpleIniA ini{/*isUtf8=*/true, /*multiKey=*/false, /*multiLine=*/true};
};

namespace {

bool ReadWholeFile(const std::string& path, std::string& out, std::string& why) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        why = "it is a folder";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        why = std::strerror(errno);
        return false;
    }
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        why = "read error";
        return false;
    }
    return true;
}

}  // namespace

IniProfile::IniProfile(std::string path)
    : path_(std::move(path)), store_(std::make_unique<Store>()) {
    std::error_code ec;
    if (!std::filesystem::exists(path_, ec)) {
        return;
    }
    std::string text;
    std::string why;
    if (!ReadWholeFile(path_, text, why)) {
        loadFailed_ = true;
    } else if (text.find('\0') != std::string::npos) {
        why = "it holds binary data";
        loadFailed_ = true;
    } else if (store_->ini.LoadData(text) < 0) {
        why = "it is not an INI file";
        loadFailed_ = true;
    }
    if (loadFailed_) {
        store_->ini.Reset();
        std::cerr << "warning: profile " << path_ << " could not be read (" << why
                  << "); starting with empty settings. The file is left as it is until the "
                     "next save, which keeps it as "
                  << path_ << ".bad\n";
    }
}

IniProfile::~IniProfile() = default;

std::optional<std::string> IniProfile::Get(const std::string& section,
                                           const std::string& entry) const {
    const char* value = store_->ini.GetValue(section.c_str(), entry.c_str(), nullptr);
    if (value == nullptr) {
        return std::nullopt;
    }
    return std::string(value);
}

void IniProfile::Set(const std::string& section, const std::string& entry,
                     const std::string& value) {
    store_->ini.SetValue(section.c_str(), entry.c_str(), value.c_str());
}

void IniProfile::CreateSection(const std::string& section) {
    if (!HasSection(section)) {
        store_->ini.SetValue(section.c_str(), nullptr, nullptr);
    }
}

bool IniProfile::HasSection(const std::string& section) const {
    return store_->ini.GetSection(section.c_str()) != nullptr;
}

bool IniProfile::HasSubsections(const std::string& section) const {
    CSimpleIniA::TNamesDepend names;
    store_->ini.GetAllSections(names);
    const std::string prefix = section + "\\";
    for (const auto& name : names) {
        if (strncasecmp(name.pItem, prefix.c_str(), prefix.size()) == 0) {
            return true;
        }
    }
    return false;
}

void IniProfile::DeleteSection(const std::string& section) {
    store_->ini.Delete(section.c_str(), nullptr);
}

void IniProfile::DeleteEntry(const std::string& section, const std::string& entry) {
    store_->ini.Delete(section.c_str(), entry.c_str());
}

bool IniProfile::Save() {
    std::string text;
    if (store_->ini.Save(text) < 0) {
        std::cerr << "error: profile " << path_ << " could not be written\n";
        return false;
    }
    std::error_code ec;
    if (loadFailed_ && std::filesystem::exists(path_, ec) &&
        !std::filesystem::is_directory(path_, ec)) {
        std::filesystem::rename(path_, path_ + ".bad", ec);
        if (ec) {
            std::cerr << "error: profile " << path_ << " could not be kept aside (" << ec.message()
                      << "); not overwriting it\n";
            return false;
        }
        std::cerr << "warning: unreadable profile kept as " << path_ << ".bad\n";
    }
    const std::string temp = path_ + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << text;
        out.flush();
        if (!out) {
            std::cerr << "error: profile " << temp << " could not be written\n";
            std::filesystem::remove(temp, ec);
            return false;
        }
    }
    std::filesystem::rename(temp, path_, ec);
    if (ec) {
        std::cerr << "error: profile " << path_ << " could not be replaced (" << ec.message()
                  << ")\n";
        std::filesystem::remove(temp, ec);
        return false;
    }
    loadFailed_ = false;
    return true;
}
