#pragma once

#include <deque>

namespace recdb {

struct IndexNode;

// The lowest run of one spine of an ordered index (the path from the root to
// its rightmost or leftmost node) whose nodes have no child on the inner side
// and alternate in colour, top first. The colours of its nodes are implied by
// the colour of the last one and written into the nodes only by settle or
// when a node leaves the run; until then the nodes' own colour fields are
// stale. This lets a repair that recolours the whole run flip it at once.
class SpineChain {
public:
    explicit SpineChain(bool rightSpine) : rightSpine_(rightSpine) {}

    bool isEmpty() const { return nodes_.empty(); }
    std::size_t size() const { return nodes_.size(); }
    IndexNode* at(std::size_t position) const { return nodes_[position]; }
    IndexNode* bottom() const { return nodes_.back(); }
    bool bottomRed() const { return bottomRed_; }

    // The implied colour at a position: 0 red, 1 black.
    int colourAt(std::size_t position) const;

    // Starts the run anew with one node, which keeps its colour; a node with
    // a child on the inner side leaves the run empty.
    void startWith(IndexNode* node);
    // Adds a red node below the bottom.
    void appendRed(IndexNode* node);
    // Writes the implied colours into the nodes and empties the run.
    void settle();
    // Empties the run without writing, when its nodes are gone.
    void forget() { nodes_.clear(); }
    // After a repair changed nodes at the top: drops top nodes that no longer
    // fit (only the first `written`, whose colours were written before the
    // repair, can have changed), then takes in up to two nodes above the top
    // that continue the run.
    void refitTop(std::size_t written);

private:
    IndexNode* outer(const IndexNode* node) const;
    IndexNode* inner(const IndexNode* node) const;

    std::deque<IndexNode*> nodes_;
    bool bottomRed_ = false;
    bool rightSpine_;
};

}  // namespace recdb
