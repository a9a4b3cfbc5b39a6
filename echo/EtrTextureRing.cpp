#include "echo/EtrTextureRing.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "direct3d/d3d9.h"
#include "drawing/ConvertTexels.h"
#include "drawing/StyleTable.h"
#include "drawing/VexanDevice.h"
#include "echo/ZxEtrEchoContainer.h"

namespace {

constexpr double kNotPlaced = -1.0;

// The texel of every byte value, blue, green, red, alpha in memory order.
using TexelTable = std::array<std::array<BYTE, 4>, 256>;

TexelTable MakeTexelTable(const StyleTable& styles) {
    TexelTable table{};
    for (int level = 0; level < 256; ++level) {
        const EchoColour c = styles.EchoLevelColour(level);
        table[level] = {c.b, c.g, c.r, c.a};
    }
    return table;
}

// Signed distance from number a to number b, in the store's numbering.
std::int64_t Ahead(std::uint32_t from, std::uint32_t to) {
    return static_cast<std::int32_t>(to - from);
}

}  // namespace

void EtrTextureRing::Reset() {
    firstNumber_ = 0;
    rowCount_ = 0;
    nextRow_ = 0;
}

// Here, where the texture's interface is known.
EtrTextureRing::EtrTextureRing() = default;
EtrTextureRing::~EtrTextureRing() = default;

void EtrTextureRing::ReleaseTexture() {
    texture_.Reset();
    textureDevice_ = nullptr;
}

bool EtrTextureRing::EnsureTexture(VexanDevice* device) {
    IDirect3DDevice9* d3d = device->GetD3DDevice();
    const int resets = device->GetResetCount();
    if (texture_ && resets == resetCount_ && d3d == textureDevice_) {
        return true;
    }
    ReleaseTexture();
    Reset();
    if (d3d == nullptr) {
        return false;
    }
    format_ = PickAlphaTextureFormat(d3d);
    if (format_ == D3DFMT_UNKNOWN) {
        return false;
    }
    ComPtr<IDirect3DTexture9> made;
    if (FAILED(d3d->CreateTexture(kColumns, kRows, 1, 0, format_, D3DPOOL_MANAGED, made.Put(),
                                  nullptr)) ||
        !made) {
        return false;
    }
    texture_ = std::move(made);
    textureDevice_ = d3d;
    resetCount_ = resets;
    return true;
}

std::optional<std::uint32_t> EtrTextureRing::RowOf(std::int32_t number) const {
    const auto n = static_cast<std::uint32_t>(number);
    // Rows hold the rowCount sweeps numbered just below the next to upload.
    const std::uint32_t end = firstNumber_ + nextRow_;
    const std::uint32_t behind = end - n;
    if (rowCount_ == 0 || behind == 0 || behind > rowCount_) {
        return std::nullopt;
    }
    const std::uint32_t offset = (n - firstNumber_) % kRows;
    return offset;
}

bool EtrTextureRing::Update(VexanDevice* device, const ZxEtrEchoContainer& store, bool pixelPane,
                            const StyleTable& styles) {
    lastUpload_ = Upload{};
    if (store.empty() || device == nullptr) {
        return false;
    }
    if (!EnsureTexture(device)) {
        return false;
    }
    if (source_ != &store || !(styles.GetEchoLook() == look_)) {
        source_ = &store;
        look_ = styles.GetEchoLook();
        Reset();
    }
    // More new sweeps than the store keeps: the next one to upload is gone,
    // and the rows start afresh from the oldest stored sweep.
    if (rowCount_ > 0 &&
        Ahead(firstNumber_ + nextRow_, static_cast<std::uint32_t>(store.front().number)) > 0) {
        Reset();
    }
    const std::vector<RowUpload> uploads = PlaceNewSweeps(store, pixelPane);
    return uploads.empty() || WriteRows(uploads, styles);
}

std::vector<EtrTextureRing::RowUpload> EtrTextureRing::PlaceNewSweeps(
    const ZxEtrEchoContainer& store, bool pixelPane) {
    std::vector<RowUpload> uploads;
    bool uploading = false;
    for (const ZxEtrEcho& sweep : store) {
        const auto number = static_cast<std::uint32_t>(sweep.number);
        if (rowCount_ == 0) {
            firstNumber_ = number;
            uploading = true;
        } else if (!uploading && number == firstNumber_ + nextRow_) {
            uploading = true;
        }
        if (!pixelPane && sweep.distance == kNotPlaced) {
            uploading = false;
        }
        if (!uploading) {
            continue;
        }
        uploads.push_back(
            RowUpload{sweep.samples, std::min(sweep.sampleCount, kColumns), nextRow_});
        if (++nextRow_ == kRows) {
            nextRow_ = 0;
            firstNumber_ = number + 1;
        }
        rowCount_ = std::min(rowCount_ + 1, kRows);
    }
    return uploads;
}

bool EtrTextureRing::WriteRows(const std::vector<RowUpload>& uploads, const StyleTable& styles) {
    const TexelTable texels = MakeTexelTable(styles);
    std::vector<BYTE> row(kColumns * 4);
    // Rows follow each other but for one wrap to row 0: one lock per stretch.
    std::size_t begin = 0;
    while (begin < uploads.size()) {
        std::size_t end = begin + 1;
        while (end < uploads.size() && uploads[end].row == uploads[end - 1].row + 1) {
            ++end;
        }
        const RECT rect{0, static_cast<LONG>(uploads[begin].row), static_cast<LONG>(kColumns),
                        static_cast<LONG>(uploads[end - 1].row + 1)};
        D3DLOCKED_RECT locked{};
        if (FAILED(texture_->LockRect(0, &locked, &rect, 0)) || locked.pBits == nullptr) {
            // Rows the ring counts as written would show older sweeps.
            Reset();
            return false;
        }
        ++lastUpload_.locks;
        lastUpload_.lockedRows += static_cast<std::uint32_t>(rect.bottom - rect.top);
        for (std::size_t i = begin; i < end; ++i) {
            const RowUpload& upload = uploads[i];
            for (std::uint32_t s = 0; s < upload.count; ++s) {
                std::copy_n(texels[upload.samples[s]].data(), 4, row.data() + 4 * s);
            }
            BYTE* destination =
                static_cast<BYTE*>(locked.pBits) + (upload.row - uploads[begin].row) * locked.Pitch;
            ConvertTexels(row.data(), destination, static_cast<int>(upload.count), format_);
        }
        texture_->UnlockRect(0);
        lastUpload_.rows += static_cast<std::uint32_t>(end - begin);
        begin = end;
    }
    return true;
}
