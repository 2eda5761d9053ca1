#pragma once
// A list that only grows at the front, newest first. Its elements never move
// and live as long as the list, so texts handed out from them stay valid.
#include "HeapArray.h"

namespace lingua {

template <typename T>
class GrowingList {
public:
    GrowingList() = default;
    GrowingList(const GrowingList&) = delete;
    GrowingList& operator=(const GrowingList&) = delete;
    ~GrowingList() {
        while (first_) PopFront();
    }

    // A new default-made element in front; null when memory is short.
    T* PushFront() {
        Node* node = HeapNew<Node>();
        if (!node) return nullptr;
        node->next = first_;
        first_ = node;
        return &node->value;
    }
    // Takes back the newest element, for one that could not be completed.
    void PopFront() {
        Node* node = first_;
        first_ = node->next;
        HeapDelete(node);
    }

    // The newest element, or null.
    T* Front() const { return first_ ? &first_->value : nullptr; }

    // The newest element that `match` accepts, or null.
    template <typename Match>
    T* FindFirst(Match match) const {
        for (Node* node = first_; node; node = node->next)
            if (match(node->value)) return &node->value;
        return nullptr;
    }

private:
    struct Node {
        Node* next = nullptr;
        T value;
    };
    Node* first_ = nullptr;
};

}  // namespace lingua
