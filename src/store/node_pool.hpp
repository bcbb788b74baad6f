#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace recdb {

// Storage for the nodes of one tree, handed out from large blocks so that
// nodes filed one after another lie side by side in memory, and a long walk
// along parent links reads memory in order. Freed nodes are reused; clear
// releases every node at once.
template <typename Node>
class NodePool {
public:
    Node* allocate() {
        if (!released_.empty()) {
            Node* node = released_.back();
            released_.pop_back();
            *node = Node{};
            return node;
        }
        if (usedInLastBlock_ == BlockSize || blocks_.empty()) {
            blocks_.push_back(std::make_unique<Node[]>(BlockSize));
            usedInLastBlock_ = 0;
        }
        return &blocks_.back()[usedInLastBlock_++];
    }

    void release(Node* node) { released_.push_back(node); }

    void clear() {
        blocks_.clear();
        released_.clear();
        usedInLastBlock_ = 0;
    }

private:
    static constexpr std::size_t BlockSize = 4096;

    std::vector<std::unique_ptr<Node[]>> blocks_;
    std::vector<Node*> released_;
    std::size_t usedInLastBlock_ = 0;
};

}  // namespace recdb
