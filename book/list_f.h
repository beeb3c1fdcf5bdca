// The sorted list: items kept in the order of a comparison function supplied by the owner, found
// by binary search while the list is sorted and by a linear scan otherwise.
#pragma once

#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

namespace zarvo {

// How a list reaches the object behind one of its items. Items are held by value, by
// std::unique_ptr (the list owns the objects) or by plain pointer (someone else owns them).
template <typename Item>
struct TListItem {
  using Target = Item;
  static constexpr bool kByValue = true;
  static const Target& Get(const Item& item) { return item; }
  static Target& Get(Item& item) { return item; }
};

template <typename T>
struct TListItem<T*> {
  using Target = T;
  static constexpr bool kByValue = false;
  static T& Get(T* item) { return *item; }
};

template <typename T>
struct TListItem<std::unique_ptr<T>> {
  using Target = T;
  static constexpr bool kByValue = false;
  static T& Get(const std::unique_ptr<T>& item) { return *item; }
};

template <typename Item>
class tList_F {
 public:
  using Target = typename TListItem<Item>::Target;
  // Negative when a belongs before b, zero when they are equal, positive when a belongs after b.
  using TItemCompare = int32_t (*)(const Target& a, const Target& b);

  tList_F() { SetCompare(nullptr); }

  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  const Target& Get(int32_t i) const { return TListItem<Item>::Get(items_[i]); }
  Target& Get(int32_t i) { return TListItem<Item>::Get(items_[i]); }

  // Plain list operations; none of them keeps the order.
  int32_t Add(Item item) {
    items_.push_back(std::move(item));
    return Count() - 1;
  }
  void Insert(int32_t i, Item item) { items_.insert(items_.begin() + i, std::move(item)); }
  // Removes item i and hands it back: an owned object passes to the caller instead of being
  // freed.
  Item Delete(int32_t i) {
    Item item = std::move(items_[i]);
    items_.erase(items_.begin() + i);
    return item;
  }

  // Partition-exchange sort. Not std::sort: which of several equal items a later binary search
  // meets first, and so the order of book results, depends on this exact sequence of swaps.
  void Sort(TItemCompare compare) {
    if (compare != nullptr && Count() > 1) QuickSort(0, Count() - 1, compare);
  }

  bool Sorted() const { return sorted_; }
  TItemCompare SortCompare() const { return sortCompare_; }
  TItemCompare SearchCompare() const { return searchCompare_; }

  void SetCompare(TItemCompare compare) {
    sortCompare_ = compare;
    sorted_ = compare != nullptr;
    SetSearchCompare(compare);
    if (sorted_) Sort(compare);
  }
  void SetSearchCompare(TItemCompare compare) { searchCompare_ = compare; }

  // SetSorted(false) then SetSorted(true) re-sorts anew: the idiom after items changed in place.
  void SetSorted(bool value) {
    if (value == sorted_) return;
    sorted_ = value && sortCompare_ != nullptr;
    if (sorted_) Sort(sortCompare_);
  }

  bool Find(const Target& item, int32_t& index) const { return FindFrom(item, 0, index); }

  // Binary from start while sorted; the linear scan ignores start.
  bool FindFrom(const Target& item, int32_t start, int32_t& index) const {
    return sorted_ ? BinarySearch(item, start, index) : LinearSearch(item, index);
  }

  // Compares (list item, key). When not found, index is the last item that belongs before the
  // key (-1 when none), so the key belongs at index + 1; among equal items the first one this
  // probe sequence meets is reported.
  bool BinarySearch(const Target& key, int32_t start, int32_t& index) const {
    index = -1;
    if (Count() < 1 || start >= Count() || start < 0 || searchCompare_ == nullptr) return false;
    int32_t lo = start;
    int32_t hi = Count() - 1;
    while (true) {
      const int32_t mid = (lo + hi) / 2;
      const int32_t c = searchCompare_(Get(mid), key);
      if (c == 0) {
        index = mid;
        return true;
      }
      const bool last = hi <= lo;
      if (c < 0) {
        if (last) {
          index = mid;
          return false;
        }
        lo = mid + 1;
      } else {
        if (last) {
          index = mid - 1;
          return false;
        }
        hi = mid - 1;
      }
    }
  }

  // Compares (key, list item): the opposite argument order to the binary search. A list without
  // a comparison holds nothing equal to the key.
  bool LinearSearch(const Target& key, int32_t& index) const {
    index = -1;
    if (searchCompare_ == nullptr) return false;
    for (int32_t i = 0; i < Count(); ++i) {
      if (searchCompare_(key, Get(i)) == 0) {
        index = i;
        return true;
      }
    }
    return false;
  }

  // Inserts before the equal item found, or where the key belongs. Duplicates are kept.
  bool AddSorted(Item item) {
    int32_t index;
    if (Find(TListItem<Item>::Get(item), index)) {
      Insert(index, std::move(item));
    } else {
      InsertAfter(index, std::move(item));
    }
    return true;
  }

  // Adds the item unless an equal one is there. A rejected duplicate is released when asked to
  // (an owned object is freed; a by-value or borrowed item has nothing to free) and otherwise
  // stays with the caller untouched. An accepted item is moved out of `item`.
  bool AddUnique(Item& item, bool freeIfDuplicate) {
    int32_t index;
    if (Find(TListItem<Item>::Get(item), index)) {
      if constexpr (std::is_same_v<Item, std::unique_ptr<Target>>) {
        if (freeIfDuplicate) item.reset();
      }
      return true;
    }
    InsertAfter(index, std::move(item));
    SetSorted(false);
    SetSorted(true);
    return true;
  }

  // Removes every item equal to the key and hands them back, in the order removed.
  std::vector<Item> RemoveAll(const Target& key) {
    std::vector<Item> removed;
    int32_t index;
    while (Find(key, index)) removed.push_back(Delete(index));
    return removed;
  }

  // A new default object of the item type; the list does not add it.
  static Item NewItem() requires(!std::is_pointer_v<Item>) {
    if constexpr (TListItem<Item>::kByValue) {
      return Item{};
    } else {
      return std::make_unique<Target>();
    }
  }

 protected:
  // For owners that reorder the items themselves with the very swaps Sort would make.
  std::vector<Item>& ItemStore() { return items_; }

  // Sets both comparisons and the sorted state for items the owner has already put in order.
  void AdoptOrder(TItemCompare compare) {
    sortCompare_ = compare;
    searchCompare_ = compare;
    sorted_ = compare != nullptr;
  }

 private:
  // Where a key not found belongs, from the index the search reported.
  void InsertAfter(int32_t index, Item item) {
    if (index < 0) {
      Insert(0, std::move(item));
    } else if (index < Count() - 1) {
      Insert(index + 1, std::move(item));
    } else {
      Add(std::move(item));
    }
  }

  void QuickSort(int32_t first, int32_t last, TItemCompare compare) {
    // The two parts of a partition are disjoint, so sorting the smaller one first (which bounds
    // the recursion depth) ends in the same order as the left-then-right recursion.
    while (first < last) {
      int32_t i = first;
      int32_t j = last;
      // The pivot is a copy of the item for value lists and the object itself for pointer
      // lists; either way it keeps comparing the same while items are swapped around it.
      const auto pivotHolder = PivotOf((first + last) / 2);
      const Target& pivot = PivotRef(pivotHolder);
      do {
        while (compare(Get(i), pivot) < 0) ++i;
        while (compare(Get(j), pivot) > 0) --j;
        if (i <= j) {
          std::swap(items_[i], items_[j]);
          ++i;
          --j;
        }
      } while (i <= j);
      if (j - first < last - i) {
        if (first < j) QuickSort(first, j, compare);
        first = i;
      } else {
        if (i < last) QuickSort(i, last, compare);
        last = j;
      }
    }
  }

  auto PivotOf(int32_t index) const {
    if constexpr (TListItem<Item>::kByValue) {
      return Target(Get(index));
    } else {
      return &Get(index);
    }
  }
  static const Target& PivotRef(const Target& pivot) { return pivot; }
  static const Target& PivotRef(const Target* pivot) { return *pivot; }

  std::vector<Item> items_;
  bool sorted_ = false;
  TItemCompare sortCompare_ = nullptr;
  TItemCompare searchCompare_ = nullptr;
};

}  // namespace zarvo
