#pragma once
// An ordered list of layer keys with a read cursor.
#include <cstddef>
#include <vector>

#include "module/LayerKey.h"

class LayerList {
  public:
    void Clear();
    void Assign(const LayerList& other);
    bool Contains(const LayerKey& key) const;
    void Append(const LayerKey& key);
    // Appends, then sorts and drops keys equal to their predecessor.
    void Add(const LayerKey& key);
    void AddAll(const LayerList& other);
    // For each key of other, erases the first equal key of this list.
    void RemoveAll(const LayerList& other);
    void Rewind();
    // Copies the key at the cursor and advances; false at the end.
    bool Next(LayerKey& key);

    std::size_t Size() const { return keys_.size(); }
    bool Empty() const { return keys_.empty(); }
    const std::vector<LayerKey>& Keys() const { return keys_; }

  private:
    void SortUnique();

    std::vector<LayerKey> keys_;
    std::size_t cursor_ = 0;
};
