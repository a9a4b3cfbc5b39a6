#include "tests/support/TestProfile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>

TempFolder::TempFolder() {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() /
            ("plotrex-test-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

TestProfile::TestProfile() : app_(std::make_unique<CWinApp>(Path())) {}

void TestProfile::Reload() {
    const ErrorOr<CWinApp::ProfileSaved> saved = app_->SaveProfile();
    EXPECT_TRUE(saved) << saved.GetError().Message();
    app_.reset();
    app_ = std::make_unique<CWinApp>(Path());
}

std::string TestProfile::FileText() const {
    std::ifstream in(Path());
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}
