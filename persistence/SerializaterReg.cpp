#include "persistence/SerializaterReg.h"

#include "platform/WinApp.h"

SerializaterReg::SerializaterReg(CWinApp* application, std::string section)
    : application_(application), section_(std::move(section)) {}

SerializaterReg::~SerializaterReg() {
    application_ = nullptr;
    section_.clear();
}

std::string SerializaterReg::Read(const std::string& name) {
    if (application_ == nullptr) {
        return std::string();
    }
    return application_->GetProfileString(section_.c_str(), name.c_str(), "");
}

int SerializaterReg::Write(const std::string& name, const std::string& text) {
    if (application_ == nullptr) {
        return 0;
    }
    return application_->WriteProfileString(section_.c_str(), name.c_str(), text.c_str());
}
