#include "echo/PlotrexDisplayETR.h"

#include "echo/EtrTextureRing.h"
#include "echo/PlotrexDataETR.h"

PlotrexDisplayETR::PlotrexDisplayETR(PlotrexData* data)
    : PlotrexDisplay(data), ring_(std::make_unique<EtrTextureRing>()) {
    data_ = dynamic_cast<PlotrexDataETR*>(data);
}

PlotrexDisplayETR::~PlotrexDisplayETR() = default;

PlotrexDataETR* PlotrexDisplayETR::GetEchogram() const {
    return dynamic_cast<PlotrexDataETR*>(data_);
}

void PlotrexDisplayETR::SetChannel(bool pixelPane, std::uint16_t channel) {
    pixelPane_ = pixelPane;
    channel_ = channel;
}

void PlotrexDisplayETR::RebuildColours() {
    ring_->Reset();
}

void PlotrexDisplayETR::Draw(short, VexanDevice*, RECT, const LinearPixelProjection&,
                             const LinearPixelProjection&, StyleTable*) {
    ClearModified();
}

bool PlotrexDisplayETR::GetLegendEntry(std::string&) {
    return false;
}
