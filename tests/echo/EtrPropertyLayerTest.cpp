#include <gtest/gtest.h>

#include "echo/ETROGRDataSource.h"
#include "tests/support/FakeSounder.h"

namespace {

class EtrPropertyLayerTest : public testing::Test {
  protected:
    ETROGRLayer& Layer() { return *static_cast<ETROGRLayer*>(source.GetLayer(0)); }
    int Gain(OGRFeature* feature) {
        OgrFeaturePtr owned(feature);
        return owned != nullptr ? owned->GetFieldAsInteger("GAIN") : -1;
    }

    FakeSounder sounder;
    ETROGRDataSource source;
};

}  // namespace

TEST_F(EtrPropertyLayerTest, DataSourceHoldsOneLayerFoundByNameInAnyCase) {
    EXPECT_STREQ(source.GetName(), "etr_data_source");
    EXPECT_EQ(source.GetLayerCount(), 1);
    ASSERT_NE(source.GetLayer(0), nullptr);
    EXPECT_EQ(source.GetLayer(1), nullptr);
    EXPECT_EQ(source.GetLayer(-1), nullptr);
    EXPECT_EQ(source.GetLayerByName("etr_properties"), source.GetLayer(0));
    EXPECT_EQ(source.GetLayerByName("ETR_PROPERTIES"), source.GetLayer(0));
    EXPECT_EQ(source.GetLayerByName("ETR_PROPERTIES2"), nullptr);
    EXPECT_EQ(source.GetLayerByName(nullptr), nullptr);
    EXPECT_FALSE(source.TestCapability(ODsCCreateLayer));
    EXPECT_FALSE(Layer().TestCapability(OLCRandomWrite));
    EXPECT_STREQ(Layer().GetName(), "ETR_PROPERTIES");
    EXPECT_EQ(Layer().GetDataset(), &source);
}

TEST_F(EtrPropertyLayerTest, OneFeatureReadOncePerPass) {
    EXPECT_EQ(Layer().GetFeatureCount(TRUE), 1);
    EXPECT_TRUE(sounder.fetchedSets.empty());  // counting fetches nothing
    OgrFeaturePtr first(Layer().GetNextFeature());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetFID(), 0);
    EXPECT_EQ(first->GetGeometryRef(), nullptr);
    EXPECT_EQ(first->GetFieldAsInteger("GAIN"), 10);
    EXPECT_DOUBLE_EQ(first->GetFieldAsDouble("FREQUENCY_KHZ"), 200.0);
    EXPECT_EQ(OgrFeaturePtr(Layer().GetNextFeature()), nullptr);
    Layer().ResetReading();
    EXPECT_NE(OgrFeaturePtr(Layer().GetNextFeature()), nullptr);
    ASSERT_NE(Layer().GetLayerDefn(), nullptr);
    EXPECT_EQ(Layer().GetLayerDefn()->GetFieldCount(), 2);
}

TEST_F(EtrPropertyLayerTest, ValuesAreFetchedAgainOnlyWhenStaleOrAnotherSet) {
    EXPECT_EQ(Gain(Layer().GetFeature(0)), 10);
    const std::size_t fetched = sounder.fetchedSets.size();
    sounder.SetGain(0, 30);  // changed on the sounder, not yet signalled
    EXPECT_EQ(Gain(Layer().GetFeature(0)), 10);
    EXPECT_EQ(sounder.fetchedSets.size(), fetched);

    // LF alone on the screen shows the LF set without being told.
    sounder.frequency = 3;
    EXPECT_EQ(Gain(Layer().GetFeature(0)), 11);
    EXPECT_EQ(sounder.fetchedSets.back(), 1);

    sounder.frequency = 1;
    Layer().MarkModified();
    EXPECT_EQ(Gain(Layer().GetFeature(0)), 30);
    EXPECT_FALSE(Layer().IsModified());
}

TEST_F(EtrPropertyLayerTest, WrittenFeatureGoesToTheSounderAndIsReadBack) {
    OgrFeaturePtr feature(Layer().GetFeature(0));
    ASSERT_NE(feature, nullptr);
    feature->SetField("GAIN", 25);
    EXPECT_EQ(Layer().SetFeature(feature.get()), OGRERR_NONE);
    EXPECT_EQ(sounder.storedSets, std::vector<std::int32_t>{0});
    EXPECT_EQ(sounder.Gain(0), 25);
    EXPECT_TRUE(Layer().IsModified());
    const std::size_t fetched = sounder.fetchedSets.size();
    EXPECT_EQ(Gain(Layer().GetFeature(0)), 25);
    EXPECT_EQ(sounder.fetchedSets.size(), fetched + 1);
}

TEST_F(EtrPropertyLayerTest, RefusedValuesAreAFailureAndTheSoundersOnesAreReadBack) {
    OgrFeaturePtr feature(Layer().GetFeature(0));
    ASSERT_NE(feature, nullptr);
    feature->SetField("GAIN", 99);
    sounder.refuseProperties = true;
    EXPECT_EQ(Layer().SetFeature(feature.get()), OGRERR_FAILURE);
    EXPECT_EQ(Gain(Layer().GetFeature(0)), 10);
    sounder.refuseProperties = false;
    EXPECT_EQ(Layer().SetFeature(feature.get()), OGRERR_NONE);
    EXPECT_EQ(Gain(Layer().GetFeature(0)), 99);
}

// GDAL's own operations read the layer's definition before ours are reached:
// they must find one whether or not the sounder gave a record.
TEST_F(EtrPropertyLayerTest, BaseOperationsSurviveWithAndWithoutARecord) {
    OgrFeaturePtr written(Layer().GetFeature(0));
    ASSERT_NE(written, nullptr);
    for (const bool noRecord : {true, false}) {
        SCOPED_TRACE(noRecord ? "no record" : "record");
        sounder.noProperties = noRecord;
        ETROGRDataSource fresh;
        OGRLayer& layer = *fresh.GetLayer(0);
        ASSERT_NE(layer.GetLayerDefn(), nullptr);
        EXPECT_EQ(layer.GetLayerDefn()->GetFieldCount(), noRecord ? 0 : 2);
        EXPECT_EQ(layer.GetGeomType(), wkbNone);
        EXPECT_STREQ(layer.GetGeometryColumn(), "");
        OGREnvelope extent;
        EXPECT_NE(layer.GetExtent(&extent, FALSE), OGRERR_NONE);
        EXPECT_EQ(layer.SetFeature(nullptr), OGRERR_INVALID_HANDLE);
        EXPECT_EQ(layer.SetFeature(written.get()), OGRERR_NONE);
        EXPECT_EQ(layer.CreateFeature(nullptr), OGRERR_UNSUPPORTED_OPERATION);
        EXPECT_EQ(layer.GetFeatureCount(FALSE), 1);
        EXPECT_EQ(OgrFeaturePtr(layer.GetFeature(0)) == nullptr, noRecord);
        EXPECT_EQ(OgrFeaturePtr(layer.GetNextFeature()) == nullptr, noRecord);
        if (noRecord) {
            // A record that comes later is found by the next read.
            sounder.noProperties = false;
            EXPECT_EQ(layer.GetLayerDefn()->GetFieldCount(), 2);
            EXPECT_EQ(Gain(layer.GetFeature(0)), 10);
        }
    }
}
