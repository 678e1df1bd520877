// BlockedSequence<T>: a sequence addressed by position, stored as a list of blocks of at most
// kBlock elements, so that inserting or erasing in the middle moves at most one block's elements
// (plus one integer per block) instead of everything after the position.
//
// Invariant: blocks_ holds no empty block; starts_[b] is the position of blocks_[b]'s first
// element (starts_[0] == 0) and size_ the total count. While every block but the last is full
// (a sequence filled in order and not yet edited in the middle: the usual case) access by
// position is a division; otherwise a binary search over starts_ (O(log(n / kBlock))). Insert and
// erase cost O(kBlock + n / kBlock).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

namespace qv::datastructures {

template <class T>
class BlockedSequence {
 public:
  // Elements per block before it splits in two: small enough that an insert moves little, large
  // enough that the block index stays short. About 12 KB of elements (a million map entries make
  // about 8000 blocks), a power of two so that uniform access is a shift.
  static constexpr size_t kBlock = sizeof(T) <= 48 ? 256 : 128;

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  // Empties the sequence; the blocks' storage is kept for the next elements (containers are
  // often cleared and filled again to about the same size).
  void clear() {
    for (std::vector<T>& block : blocks_) {
      block.clear();
      spare_.push_back(std::move(block));
    }
    blocks_.clear();
    starts_.clear();
    size_ = 0;
    uniform_ = true;
  }

  T& operator[](size_t pos) {
    if (uniform_) return blocks_[pos / kBlock][pos % kBlock];
    size_t b = blockOf(pos);
    return blocks_[b][pos - starts_[b]];
  }
  const T& operator[](size_t pos) const {
    if (uniform_) return blocks_[pos / kBlock][pos % kBlock];
    size_t b = blockOf(pos);
    return blocks_[b][pos - starts_[b]];
  }

  // Inserts before `pos` (0 <= pos <= size).
  void insert(size_t pos, T value) {
    // A new block at the end when there is none or when appending to a full last block: a
    // sequence filled in order keeps full blocks and never splits.
    if (blocks_.empty() || (pos == size_ && blocks_.back().size() >= kBlock)) newLastBlock();
    size_t b = pos == size_ ? blocks_.size() - 1 : blockOf(pos);
    // A full block splits before it takes the element, so no block outgrows its storage.
    if (blocks_[b].size() >= kBlock) {
      split(b);
      if (pos - starts_[b] > blocks_[b].size()) ++b;
    }
    std::vector<T>& block = blocks_[b];
    block.insert(block.begin() + static_cast<std::ptrdiff_t>(pos - starts_[b]), std::move(value));
    ++size_;
    for (size_t i = b + 1; i < starts_.size(); ++i) ++starts_[i];
    // Only the last block may be short; growing any other ends the uniform shape.
    if (b + 1 != blocks_.size()) uniform_ = false;
  }

  void erase(size_t pos) {
    size_t b = blockOf(pos);
    std::vector<T>& block = blocks_[b];
    block.erase(block.begin() + static_cast<std::ptrdiff_t>(pos - starts_[b]));
    --size_;
    for (size_t i = b + 1; i < starts_.size(); ++i) --starts_[i];
    if (b + 1 != blocks_.size()) uniform_ = false;
    if (block.empty()) {
      spare_.push_back(std::move(block));
      blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(b));
      starts_.erase(starts_.begin() + static_cast<std::ptrdiff_t>(b));
    }
  }

  void push_back(T value) { insert(size_, std::move(value)); }

  // Visits every element in order.
  template <class F>
  void forEach(F&& f) const {
    for (const std::vector<T>& block : blocks_)
      for (const T& v : block) f(v);
  }
  template <class F>
  void forEach(F&& f) {
    for (std::vector<T>& block : blocks_)
      for (T& v : block) f(v);
  }

 private:
  void newLastBlock() {
    blocks_.push_back(emptyBlock());
    starts_.push_back(size_);
  }
  // An empty block with room for kBlock elements: a spare one when there is one.
  std::vector<T> emptyBlock() {
    if (spare_.empty()) {
      std::vector<T> block;
      block.reserve(kBlock);
      return block;
    }
    std::vector<T> block = std::move(spare_.back());
    spare_.pop_back();
    return block;
  }
  size_t blockOf(size_t pos) const {
    // Successive probes of a search mostly land in the block of the previous one.
    if (last_ < blocks_.size() && pos >= starts_[last_] && pos - starts_[last_] < blocks_[last_].size()) return last_;
    // The last block whose start is <= pos.
    last_ = static_cast<size_t>(std::upper_bound(starts_.begin(), starts_.end(), pos) - starts_.begin()) - 1;
    return last_;
  }

  void split(size_t b) {
    std::vector<T>& block = blocks_[b];
    size_t half = block.size() / 2;
    std::vector<T> upper = emptyBlock();
    upper.insert(upper.end(), std::make_move_iterator(block.begin() + static_cast<std::ptrdiff_t>(half)),
                 std::make_move_iterator(block.end()));
    block.erase(block.begin() + static_cast<std::ptrdiff_t>(half), block.end());
    size_t start = starts_[b] + half;
    blocks_.insert(blocks_.begin() + static_cast<std::ptrdiff_t>(b) + 1, std::move(upper));
    starts_.insert(starts_.begin() + static_cast<std::ptrdiff_t>(b) + 1, start);
    uniform_ = false;
  }

  std::vector<std::vector<T>> blocks_;
  std::vector<size_t> starts_;
  std::vector<std::vector<T>> spare_;  // empty blocks with storage, left by clear() and erase()
  size_t size_ = 0;
  bool uniform_ = true;  // every block but the last holds kBlock elements
  mutable size_t last_ = 0;  // the block of the latest access; checked before use
};

}  // namespace qv::datastructures
