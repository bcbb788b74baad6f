#pragma once

#include <cstddef>
#include <iterator>

namespace recdb {

// The links of a node in a circular doubly linked list.
struct RingLink {
    RingLink* next = nullptr;
    RingLink* prev = nullptr;
};

// A circular doubly linked list with a sentinel over nodes derived from
// RingLink. It links and unlinks in O(1) and keeps a count; it never owns or
// frees nodes, which is left to the list types built on it. Iterating a
// const list still yields modifiable nodes: the list's constness covers its
// order and count, not what the nodes hold.
template <typename Node>
class Ring {
public:
    class Iterator {
    public:
        using iterator_category = std::bidirectional_iterator_tag;
        using value_type = Node;
        using difference_type = std::ptrdiff_t;
        using pointer = Node*;
        using reference = Node&;

        Iterator() = default;
        explicit Iterator(RingLink* link) : link_(link) {}
        Node& operator*() const { return *static_cast<Node*>(link_); }
        Node* operator->() const { return static_cast<Node*>(link_); }
        Iterator& operator++() { link_ = link_->next; return *this; }
        Iterator operator++(int) { Iterator old = *this; ++*this; return old; }
        Iterator& operator--() { link_ = link_->prev; return *this; }
        Iterator operator--(int) { Iterator old = *this; --*this; return old; }
        bool operator==(const Iterator&) const = default;

    private:
        RingLink* link_ = nullptr;
    };

    Ring() = default;
    Ring(const Ring&) = delete;
    Ring& operator=(const Ring&) = delete;

    bool isEmpty() const { return count_ == 0; }
    std::size_t size() const { return count_; }

    Node* first() const { return isEmpty() ? nullptr : static_cast<Node*>(sentinel_.next); }
    Node* last() const { return isEmpty() ? nullptr : static_cast<Node*>(sentinel_.prev); }

    void linkLast(Node* node) {
        RingLink* link = node;
        link->prev = sentinel_.prev;
        link->next = &sentinel_;
        sentinel_.prev->next = link;
        sentinel_.prev = link;
        ++count_;
    }

    void unlink(Node* node) {
        RingLink* link = node;
        link->prev->next = link->next;
        link->next->prev = link->prev;
        link->next = link->prev = nullptr;
        --count_;
    }

    Iterator begin() const { return Iterator(sentinel_.next); }
    Iterator end() const { return Iterator(&sentinel_); }

private:
    mutable RingLink sentinel_{&sentinel_, &sentinel_};
    std::size_t count_ = 0;
};

}  // namespace recdb
