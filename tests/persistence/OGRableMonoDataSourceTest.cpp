#include <gtest/gtest.h>

#include "echo/ETROGRDataSource.h"
#include "persistence/OGRableMonoDataSource.h"
#include "tests/support/FakeSounder.h"
#include "tests/support/TestProfile.h"

namespace {

GDALDataset* MemoryDataSource(std::initializer_list<const char*> layers) {
    GDALAllRegister();
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("Memory");
    GDALDataset* dataset = driver->Create("mem", 0, 0, 0, GDT_Unknown, nullptr);
    for (const char* name : layers) {
        dataset->CreateLayer(name, nullptr, wkbPoint, nullptr);
    }
    return dataset;
}

// A spatial SQLite file whose geometry_columns lists its tables, opened again
// as a reader would find it.
GDALDataset* SpatialDatabase(const std::string& path, std::initializer_list<const char*> tables) {
    GDALAllRegister();
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("SQLite");
    const char* options[] = {"SPATIALITE=NO", nullptr};
    GDALDataset* created =
        driver->Create(path.c_str(), 0, 0, 0, GDT_Unknown, const_cast<char**>(options));
    if (created == nullptr) {
        return nullptr;
    }
    for (const char* name : tables) {
        created->CreateLayer(name, nullptr, wkbPoint, nullptr);
    }
    GDALClose(created);
    return static_cast<GDALDataset*>(
        GDALOpenEx(path.c_str(), GDAL_OF_VECTOR, nullptr, nullptr, nullptr));
}

}  // namespace

TEST(OGRableMonoDataSourceTest, WithoutACatalogueTheLayersAreTheSourcesOwn) {
    OGRableMonoDataSource wrapper;
    EXPECT_EQ(wrapper.GetLayerCount(), 0);
    EXPECT_EQ(wrapper.GetLayer(0), nullptr);
    EXPECT_EQ(wrapper.GetLayerByName("a"), nullptr);
    wrapper.SetDataSource(MemoryDataSource({"a", "b", "c"}));
    EXPECT_EQ(wrapper.GetLayerCount(), 3);
    ASSERT_NE(wrapper.GetLayer(2), nullptr);
    EXPECT_STREQ(wrapper.GetLayer(2)->GetName(), "c");
    EXPECT_EQ(wrapper.GetLayer(3), nullptr);
    EXPECT_EQ(wrapper.GetLayer(-1), nullptr);
    EXPECT_EQ(wrapper.GetLayerByName("b"), wrapper.GetLayer(1));
    EXPECT_EQ(wrapper.QueryLayer(0, 1), nullptr);
    // A second source replaces the first, which is closed.
    wrapper.SetDataSource(MemoryDataSource({"x"}));
    EXPECT_EQ(wrapper.GetLayerCount(), 1);
}

TEST(OGRableMonoDataSourceTest, SpatialDatabaseIsSeenAsTheTablesOfItsCatalogue) {
    TempFolder folder;
    OGRableMonoDataSource wrapper;
    GDALDataset* database =
        SpatialDatabase((folder.Path() / "tracks.sqlite").string(), {"legs", "hauls"});
    ASSERT_NE(database, nullptr);
    ASSERT_NE(database->GetLayerByName("GEOMETRY_COLUMNS"), nullptr);
    wrapper.SetDataSource(database);
    ASSERT_EQ(wrapper.GetLayerCount(), 2);
    ASSERT_NE(wrapper.GetLayer(1), nullptr);
    EXPECT_STREQ(wrapper.GetLayer(1)->GetName(), "hauls");
    EXPECT_STREQ(wrapper.GetLayer(0)->GetName(), "legs");
    EXPECT_EQ(wrapper.GetLayer(2), nullptr);
    // Reading does not depend on where an earlier reader left the catalogue.
    OGRLayer* catalogue = database->GetLayerByName("GEOMETRY_COLUMNS");
    catalogue->SetAttributeFilter("f_table_name = 'legs'");
    EXPECT_EQ(wrapper.GetLayerCount(), 2);
    EXPECT_STREQ(wrapper.GetLayer(1)->GetName(), "hauls");
}

TEST(OGRableMonoDataSourceTest, CatalogueRowWithoutItsTableGivesNoLayer) {
    GDALDataset* source = MemoryDataSource({"legs"});
    OGRLayer* catalogue = source->CreateLayer("geometry_columns", nullptr, wkbNone, nullptr);
    OGRFieldDefn name("F_TABLE_NAME", OFTString);
    catalogue->CreateField(&name);
    for (const char* table : {"ghost", "legs"}) {
        OgrFeaturePtr row(OGRFeature::CreateFeature(catalogue->GetLayerDefn()));
        row->SetField("F_TABLE_NAME", table);
        ASSERT_EQ(catalogue->CreateFeature(row.get()), OGRERR_NONE);
    }
    OGRableMonoDataSource wrapper;
    wrapper.SetDataSource(source);
    ASSERT_EQ(wrapper.GetLayerCount(), 2);
    EXPECT_EQ(wrapper.GetLayer(0), nullptr);
    ASSERT_NE(wrapper.GetLayer(1), nullptr);
    EXPECT_STREQ(wrapper.GetLayer(1)->GetName(), "legs");
}

TEST(OGRableMonoDataSourceTest, EchogramSourceIsOneLayer) {
    FakeSounder sounder;
    OGRableMonoDataSource wrapper;
    auto* source = new ETROGRDataSource();
    wrapper.SetDataSource(source);
    EXPECT_EQ(wrapper.GetLayerCount(), 1);
    EXPECT_EQ(wrapper.GetLayer(0), source->GetLayer(0));
    EXPECT_EQ(wrapper.GetLayer(1), nullptr);
    EXPECT_EQ(wrapper.GetLayerByName("ETR_PROPERTIES"), source->GetLayer(0));
}
