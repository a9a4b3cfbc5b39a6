#include "echo/ETROGRDataSource.h"

#include <strings.h>

ETROGRDataSource::ETROGRDataSource() : layer_(std::make_unique<ETROGRLayer>(this, kLayerName)) {}

ETROGRDataSource::~ETROGRDataSource() = default;

const char* ETROGRDataSource::GetName() {
    return kName;
}

int ETROGRDataSource::GetLayerCount() {
    return 1;
}

OGRLayer* ETROGRDataSource::GetLayer(int index) {
    return index == 0 ? layer_.get() : nullptr;
}

OGRLayer* ETROGRDataSource::GetLayerByName(const char* name) {
    if (name == nullptr || strcasecmp(name, kLayerName) != 0) {
        return nullptr;
    }
    return layer_.get();
}

int ETROGRDataSource::TestCapability(const char*) {
    return FALSE;
}
