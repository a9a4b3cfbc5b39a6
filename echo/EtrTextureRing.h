#pragma once
// The echogram's texture used as a ring of rows: one row per sweep, one
// texel per sample, coloured by the echo colour scale. Sweeps keep the
// numbers their store gave them; the ring knows which numbers its rows hold,
// and uploads only the sweeps that are new since the last update.
#include <cstdint>
#include <optional>
#include <vector>

#include "direct3d/d3d9types.h"
#include "drawing/EchoLook.h"
#include "platform/ComPtr.h"

class StyleTable;
class VexanDevice;
class ZxEtrEchoContainer;
struct IDirect3DDevice9;
struct IDirect3DTexture9;

class EtrTextureRing {
  public:
    static constexpr std::uint32_t kRows = 1024;
    static constexpr std::uint32_t kColumns = 1024;

    // Rows written by the last upload, and over which rows the texture was locked.
    struct Upload {
        std::uint32_t rows = 0;
        std::uint32_t locks = 0;
        std::uint32_t lockedRows = 0;
    };

    EtrTextureRing();
    ~EtrTextureRing();
    EtrTextureRing(const EtrTextureRing&) = delete;
    EtrTextureRing& operator=(const EtrTextureRing&) = delete;

    // Forgets what the rows hold: every stored sweep is uploaded again.
    void Reset();

    // Brings the texture up to date with the store: makes it when there is
    // none, or when the device was reset or changed since it was made, and
    // uploads the sweeps not yet in it (all of them again when the echo
    // look changed). In the track pane a sweep not yet
    // placed ends the upload: it and those after it wait for their placement.
    // False, with nothing to draw, for an empty store, without a texture, or
    // when the texture could not be written.
    bool Update(VexanDevice* device, const ZxEtrEchoContainer& store, bool pixelPane,
                const StyleTable& styles);

    // The row that holds the sweep of that number, if the ring holds it.
    std::optional<std::uint32_t> RowOf(std::int32_t number) const;

    IDirect3DTexture9* GetTexture() const { return texture_.Get(); }
    D3DFORMAT GetFormat() const { return format_; }
    std::uint32_t GetFirstNumber() const { return firstNumber_; }
    std::uint32_t GetRowCount() const { return rowCount_; }
    std::uint32_t GetNextRow() const { return nextRow_; }
    std::int32_t GetResetCount() const { return resetCount_; }
    const Upload& GetLastUpload() const { return lastUpload_; }

  private:
    // One sweep to write: its samples, how many, and its row.
    struct RowUpload {
        const std::uint8_t* samples;
        std::uint32_t count;
        std::uint32_t row;
    };

    bool EnsureTexture(VexanDevice* device);
    void ReleaseTexture();
    // Gives rows to the sweeps not yet in the texture.
    std::vector<RowUpload> PlaceNewSweeps(const ZxEtrEchoContainer& store, bool pixelPane);
    bool WriteRows(const std::vector<RowUpload>& uploads, const StyleTable& styles);

    ComPtr<IDirect3DTexture9> texture_;
    // The device the texture was made on: a window that moved to another
    // monitor draws on another device, maybe with the same reset count.
    IDirect3DDevice9* textureDevice_ = nullptr;
    std::uint32_t firstNumber_ = 0;
    std::uint32_t rowCount_ = 0;
    std::uint32_t nextRow_ = 0;
    std::int32_t resetCount_ = -1;
    D3DFORMAT format_ = D3DFMT_UNKNOWN;
    // The store the rows came from: the profile view's display follows the
    // active channel, and each store numbers its sweeps from 0.
    const ZxEtrEchoContainer* source_ = nullptr;
    // The look the rows were coloured in: another one colours them again.
    EchoLook look_;
    Upload lastUpload_;
};
