#include "module/LayerList.h"

#include <algorithm>

void LayerList::Clear() {
    keys_.clear();
    cursor_ = 0;
}

void LayerList::Assign(const LayerList& other) {
    keys_ = other.keys_;
    cursor_ = other.cursor_;
}

bool LayerList::Contains(const LayerKey& key) const {
    return std::find(keys_.begin(), keys_.end(), key) != keys_.end();
}

void LayerList::Append(const LayerKey& key) {
    keys_.push_back(key);
}

void LayerList::Add(const LayerKey& key) {
    keys_.push_back(key);
    SortUnique();
}

void LayerList::AddAll(const LayerList& other) {
    keys_.insert(keys_.end(), other.keys_.begin(), other.keys_.end());
    SortUnique();
}

void LayerList::RemoveAll(const LayerList& other) {
    for (const LayerKey& key : other.keys_) {
        auto it = std::find(keys_.begin(), keys_.end(), key);
        if (it != keys_.end()) {
            keys_.erase(it);
        }
    }
    cursor_ = std::min(cursor_, keys_.size());
}

void LayerList::Rewind() {
    cursor_ = 0;
}

bool LayerList::Next(LayerKey& key) {
    if (cursor_ >= keys_.size()) {
        return false;
    }
    key = keys_[cursor_++];
    return true;
}

void LayerList::SortUnique() {
    std::stable_sort(keys_.begin(), keys_.end());
    keys_.erase(std::unique(keys_.begin(), keys_.end()), keys_.end());
    cursor_ = std::min(cursor_, keys_.size());
}
