#pragma once
// GDAL's vector headers, kept out of our warning settings.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#pragma GCC diagnostic ignored "-Wshadow"
#include <gdal_priv.h>
#include <ogr_feature.h>
#include <ogrsf_frmts.h>
#pragma GCC diagnostic pop

#include <memory>

// Owns one OGR feature.
struct OgrFeatureDeleter {
    void operator()(OGRFeature* feature) const { OGRFeature::DestroyFeature(feature); }
};
using OgrFeaturePtr = std::unique_ptr<OGRFeature, OgrFeatureDeleter>;

// Holds one reference to an OGR feature definition.
struct OgrDefinitionReleaser {
    void operator()(OGRFeatureDefn* definition) const { definition->Release(); }
};
using OgrDefinitionPtr = std::unique_ptr<OGRFeatureDefn, OgrDefinitionReleaser>;
