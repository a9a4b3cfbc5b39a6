#pragma once
// The name of one layer: the module that publishes it and its name there.
#include <cstdint>
#include <string>

// CRC-style hash of a name, letters folded to upper case; the empty name
// hashes to -1. Only equality and order of the values matter.
std::int32_t NameHash(const std::string& name);

class LayerKey {
  public:
    LayerKey() = default;
    LayerKey(const std::string& moduleName, const std::string& layerName);

    const std::string& GetText() const { return text_; }
    void SetText(const std::string& text) { text_ = text; }
    const std::string& GetModuleName() const { return moduleName_; }
    const std::string& GetLayerName() const { return layerName_; }
    void SetModuleName(const std::string& name);
    void SetLayerName(const std::string& name);
    std::int32_t GetModuleHash() const { return moduleHash_; }
    std::int32_t GetLayerHash() const { return layerHash_; }

    bool MatchesModule(const std::string& moduleName) const;

    // "MODULE?LAYER".
    std::string ToText() const;
    // False for an empty text or one without "?"; the key is then unchanged.
    bool FromText(const std::string& text);

    // Keys compare by the sum of their two hashes (32-bit, wrapping).
    std::int32_t Sum() const;
    friend bool operator==(const LayerKey& a, const LayerKey& b) { return a.Sum() == b.Sum(); }
    friend bool operator<(const LayerKey& a, const LayerKey& b) { return a.Sum() < b.Sum(); }

  private:
    std::string text_;
    std::string moduleName_;
    std::string layerName_;
    std::int32_t layerHash_ = -1;
    std::int32_t moduleHash_ = -1;
};

// A key with an index, as a module hands a layer to the host.
class LayerKeyIndexed : public LayerKey {
  public:
    LayerKeyIndexed() = default;
    LayerKeyIndexed(const LayerKey& key, std::int32_t index) : LayerKey(key), index_(index) {}

    std::int32_t GetIndex() const { return index_; }

  private:
    std::int32_t index_ = -1;
};
