#include "store/spine_chain.hpp"

#include "store/ordered_index.hpp"

namespace recdb {

int SpineChain::colourAt(std::size_t position) const {
    const bool sameAsBottom = (nodes_.size() - 1 - position) % 2 == 0;
    return sameAsBottom == bottomRed_ ? 0 : 1;
}

IndexNode* SpineChain::outer(const IndexNode* node) const { return rightSpine_ ? node->right : node->left; }

IndexNode* SpineChain::inner(const IndexNode* node) const { return rightSpine_ ? node->left : node->right; }

void SpineChain::startWith(IndexNode* node) {
    nodes_.clear();
    if (inner(node) == nullptr) {
        nodes_.push_back(node);
        bottomRed_ = node->colour == 0;
    }
}

void SpineChain::appendRed(IndexNode* node) {
    nodes_.push_back(node);
    bottomRed_ = true;
}

void SpineChain::settle() {
    for (std::size_t k = 0; k < nodes_.size(); ++k) {
        nodes_[k]->colour = colourAt(k);
    }
    nodes_.clear();
}

void SpineChain::refitTop(std::size_t written) {
    for (std::size_t checked = 0; checked < written && !nodes_.empty(); ++checked) {
        const IndexNode* top = nodes_.front();
        const bool fits = inner(top) == nullptr && (nodes_.size() == 1 || outer(top) == nodes_[1]) &&
                          top->colour == colourAt(0);
        if (fits) {
            break;
        }
        nodes_.pop_front();
    }
    // Taking in at most two nodes a call keeps every call O(1); runs lose at
    // most two nodes a call at the top, so they still grow back.
    for (int taken = 0; taken < 2 && !nodes_.empty(); ++taken) {
        IndexNode* top = nodes_.front();
        IndexNode* above = top->parent;
        if (above == nullptr || outer(above) != top || inner(above) != nullptr || above->colour == colourAt(0)) {
            break;
        }
        nodes_.push_front(above);
    }
}

}  // namespace recdb
