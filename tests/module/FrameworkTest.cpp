#include <gtest/gtest.h>

#include "module/ModuleData.h"
#include "module/ModuleDisplay.h"
#include "module/ProfileHelpers.h"
#include "tests/support/TestProfile.h"

namespace {

class FakeData : public ModuleData {
  public:
    ModuleDisplay* CreateDisplay() override;
    std::vector<FileType> GetFileTypes() override { return types; }
    const char* GetModuleName() override { return "FAKE_MODULE"; }
    std::pair<std::string, std::string> GetRegistrySections() override {
        return {"ModuleData\\Fake", displaySection};
    }
    OpenResult OpenFiles(const std::vector<std::string>& paths, bool flag) override {
        opened = paths;
        openFlag = flag;
        return OpenResult();
    }
    std::vector<std::string> GetOpenedFiles() override { return files; }

    std::vector<FileType> types;
    std::string displaySection = "ModuleDisplay\\Fake";
    std::vector<std::string> files;
    std::vector<std::string> opened;
    bool openFlag = false;
};

class FakeDisplay : public ModuleDisplay {
  public:
    explicit FakeDisplay(ModuleData* data) : ModuleDisplay(data), data_(data) {}
    ModuleData* GetModuleData() override { return data_; }
    void Update() override { ++updates; }
    int updates = 0;

  private:
    ModuleData* data_;
};

ModuleDisplay* FakeData::CreateDisplay() {
    return new FakeDisplay(this);
}

}  // namespace

TEST(SubjectObserver, AttachOnceDetachOnDestruction) {
    FakeData data;
    {
        FakeDisplay display(&data);
        ASSERT_EQ(data.Observers().size(), 1U);
        EXPECT_FALSE(data.Attach(&display));
        EXPECT_EQ(data.Observers().size(), 1U);
        EXPECT_TRUE(data.Detach(&display));
        EXPECT_FALSE(data.Detach(&display));
        EXPECT_TRUE(data.Attach(&display));
    }
    EXPECT_TRUE(data.Observers().empty());
    FakeDisplay orphan(nullptr);
    EXPECT_EQ(orphan.GetSubject(), nullptr);
}

TEST(SubjectObserver, NotifyUpdatesEveryDisplayInOrder) {
    FakeData data;
    FakeDisplay first(&data), second(&data);
    data.Notify(ModuleNotification{});
    data.Notify(ModuleNotification{});
    EXPECT_EQ(first.updates, 2);
    EXPECT_EQ(second.updates, 2);
}

TEST(ModuleData, DefaultsOfTheFramework) {
    FakeData data;
    EXPECT_TRUE(data.IsReady());
    EXPECT_TRUE(data.GetLayers().Empty());
    EXPECT_TRUE(data.GetLayersEx().Empty());
    const OpenResult result = data.ModuleData::OpenFiles({"a"}, false);
    EXPECT_EQ(result.count, 0);
    EXPECT_TRUE(result.dates.empty());
    EXPECT_TRUE(result.position.IsNoPos());
    EXPECT_TRUE(result.extents.empty());
    EXPECT_TRUE(data.ModuleData::GetOpenedFiles().empty());
}

TEST(ModuleData, CanOpenComparesExtensionsWithoutCase) {
    FakeData data;
    data.types = {FileType{{"txt"}, "Text"}, FileType{{"abc", "log"}, "Logs"}};
    EXPECT_TRUE(data.CanOpen("x.ABC"));
    EXPECT_TRUE(data.CanOpen("/some/folder/voyage.log"));
    EXPECT_TRUE(data.CanOpen("abc"));  // no dot: the name itself is the extension
    EXPECT_FALSE(data.CanOpen("x.abcd"));
    EXPECT_FALSE(data.CanOpen("x"));
}

TEST(ModuleData, OpenedFilesRoundTripThroughTheProfile) {
    TestProfile profile;
    FakeData data;
    data.files = {"/charts/one.dat", "/charts/two.dat"};
    data.SaveSettings();
    EXPECT_EQ(profile.App().GetProfileInt("ModuleData\\Fake", "NbOpenedFiles", -1), 2U);
    EXPECT_EQ(profile.App().GetProfileString("ModuleData\\Fake", "File1"), "/charts/two.dat");

    // An empty or missing entry is skipped, the rest load in order.
    profile.App().WriteProfileInt("ModuleData\\Fake", "NbOpenedFiles", 4);
    profile.App().WriteProfileString("ModuleData\\Fake", "File2", "");
    profile.Reload();
    data.LoadSettings();
    EXPECT_EQ(data.opened, (std::vector<std::string>{"/charts/one.dat", "/charts/two.dat"}));
    EXPECT_TRUE(data.openFlag);
}

TEST(ModuleData, DeleteSettingsRemovesDataAndSixDisplaySections) {
    TestProfile profile;
    FakeData data;
    CWinApp& app = profile.App();
    app.WriteProfileInt("ModuleData\\Fake", "X", 1);
    for (int i = 0; i <= 6; ++i) {
        app.WriteProfileInt(("ModuleDisplay\\Fake_" + std::to_string(i)).c_str(), "Visible", 1);
    }
    data.DeleteSettings();
    EXPECT_EQ(app.GetProfileInt("ModuleData\\Fake", "X", -5), static_cast<UINT>(-5));
    for (int i = 0; i <= 5; ++i) {
        EXPECT_EQ(
            app.GetProfileInt(("ModuleDisplay\\Fake_" + std::to_string(i)).c_str(), "Visible", -5),
            static_cast<UINT>(-5));
    }
    EXPECT_EQ(app.GetProfileInt("ModuleDisplay\\Fake_6", "Visible", -5), 1U);

    // Without a display section only the data section goes.
    app.WriteProfileInt("ModuleDisplay\\Fake_0", "Visible", 1);
    data.displaySection.clear();
    data.DeleteSettings();
    EXPECT_EQ(app.GetProfileInt("ModuleDisplay\\Fake_0", "Visible", -5), 1U);
}

TEST(ModuleData, RemoveLayersTouchesOnlyItsOwnKeys) {
    FakeData data;
    FakeDisplay first(&data), second(&data);
    const LayerKey own("FAKE_MODULE", "A"), other("OTHER", "B");
    LayerList layers;
    layers.Add(own);
    layers.Add(other);
    first.SetLayers(layers);
    second.SetLayers(layers);

    LayerList remove;
    remove.Add(own);
    remove.Add(LayerKey("OTHER", "B"));
    EXPECT_TRUE(data.RemoveLayers(remove));
    for (FakeDisplay* display : {&first, &second}) {
        EXPECT_FALSE(display->GetLayers().Contains(own));
        EXPECT_TRUE(display->GetLayers().Contains(other));  // another module's key stays
    }
}

TEST(ModuleDisplay, SettingsRoundTripWithVisibilityAndLayers) {
    TestProfile profile;
    FakeData data;
    FakeDisplay display(&data);
    LayerList layers;
    layers.Add(LayerKey("FAKE_MODULE", "A"));
    layers.Add(LayerKey("FAKE_MODULE", "B"));
    display.SetLayers(layers);
    display.SetVisible(false);
    display.SaveSettings(3);
    EXPECT_EQ(profile.App().GetProfileInt("ModuleDisplay\\Fake_3", "NbLayer", -1), 2U);

    profile.Reload();
    FakeDisplay restored(&data);
    restored.SetVisible(true);
    restored.LoadSettings(3);
    EXPECT_FALSE(restored.IsVisible());
    EXPECT_EQ(restored.GetLayers().Size(), 2U);
    EXPECT_FALSE(restored.LacksLayer(LayerKey("FAKE_MODULE", "B")));
    EXPECT_TRUE(restored.LacksLayer(LayerKey("FAKE_MODULE", "C")));
}

TEST(ModuleDisplay, LoadingSkipsMissingAndDuplicateLayersAndDefaultsToVisible) {
    TestProfile profile;
    CWinApp& app = profile.App();
    app.WriteProfileInt("ModuleDisplay\\Fake_0", "NbLayer", 3);
    app.WriteProfileString("ModuleDisplay\\Fake_0", "Layer0", "M?A");
    app.WriteProfileString("ModuleDisplay\\Fake_0", "Layer2", "m?a");  // equal to Layer0
    FakeData data;
    FakeDisplay display(&data);
    display.LoadSettings(0);
    EXPECT_TRUE(display.IsVisible());
    EXPECT_EQ(display.GetLayers().Size(), 1U);

    app.WriteProfileString("ModuleDisplay\\Fake_0", "Layer1", "not a key");
    app.WriteProfileString("ModuleDisplay\\Fake_0", "Layer2", "M?B");
    display.LoadSettings(0);
    EXPECT_EQ(display.GetLayers().Size(), 2U);

    // A huge stored count ends (16-bit index) instead of looping forever.
    app.WriteProfileInt("ModuleDisplay\\Fake_0", "NbLayer", 100000);
    display.LoadSettings(0);
    EXPECT_EQ(display.GetLayers().Size(), 2U);
}

TEST(ModuleDisplay, NoDisplaySectionOrNoDataMeansNoSettings) {
    TestProfile profile;
    FakeData data;
    data.displaySection.clear();
    FakeDisplay display(&data);
    display.SaveSettings(0);
    display.LoadSettings(0);
    FakeDisplay orphan(nullptr);
    orphan.SaveSettings(0);
    EXPECT_EQ(profile.FileText().find("Visible"), std::string::npos);
    profile.Reload();
    EXPECT_EQ(profile.FileText().find("Visible"), std::string::npos);
}

TEST(ModuleDisplay, CopyFromTakesTheFirstDisplayOfTheSameModule) {
    FakeData data;
    FakeDisplay source(&data), target(&data);
    LayerList layers;
    layers.Add(LayerKey("FAKE_MODULE", "A"));
    source.SetLayers(layers);
    source.SetVisible(true);
    target.SetVisible(false);
    FakeDisplay orphan(nullptr);
    ModuleDisplayList list;
    list.push_back(&orphan);
    list.push_back(&source);
    target.CopyFrom(list);
    EXPECT_TRUE(target.IsVisible());
    EXPECT_EQ(target.GetLayers().Size(), 1U);
    EXPECT_EQ(target.NeedsRedraw(), 0);
}

TEST(ProfileHelpers, AbsentValuesKeepTheDefault) {
    TestProfile profile;
    int value = 0;
    EXPECT_FALSE(ReadProfileInt("S", "I", value, 17));
    EXPECT_EQ(value, 17);
    WriteProfileIntValue("S", "I", 5);
    EXPECT_TRUE(ReadProfileInt("S", "I", value, 17));
    EXPECT_EQ(value, 5);
    // The absent marker itself reads as absent.
    WriteProfileIntValue("S", "I", -32768);
    EXPECT_FALSE(ReadProfileInt("S", "I", value, 3));
    EXPECT_EQ(value, 3);

    bool flag = false;
    EXPECT_FALSE(ReadProfileBool("S", "B", flag, true));
    EXPECT_TRUE(flag);
    WriteProfileBool("S", "B", false);
    EXPECT_TRUE(ReadProfileBool("S", "B", flag, true));
    EXPECT_FALSE(flag);

    std::string text;
    EXPECT_FALSE(ReadProfileText("S", "T", text, "fallback"));
    EXPECT_EQ(text, "fallback");
    WriteProfileText("S", "T", "");
    EXPECT_TRUE(ReadProfileText("S", "T", text, "fallback"));
    EXPECT_EQ(text, "");
}

TEST(ProfileHelpers, WithoutApplicationReadsAreAbsentAndWritesDoNothing) {
    ASSERT_EQ(AfxGetApp(), nullptr);
    WriteProfileIntValue("S", "I", 5);
    int value = 0;
    EXPECT_FALSE(ReadProfileInt("S", "I", value, 9));
    EXPECT_EQ(value, 9);
    std::string text;
    EXPECT_FALSE(ReadProfileText("S", "T", text, "d"));
    EXPECT_EQ(text, "d");
    EXPECT_FALSE(DeleteProfileSection("S"));
}
