// Chains: edgelets of one detection linked into curves.
//
// Links are made greedily in a fixed order: first every 4-neighbour pair, then every
// diagonal pair, each sweep in row order; a pair is linked when the angle codes differ by
// less than 32 and both edgelets have fewer than two links. A diagonal pair that already
// shares a linked neighbour is not linked, so a staircase corner stays a path instead of
// closing a triangle. With at most two links each, the linked sets are paths and loops:
// a path is listed from its end with the lower index, a loop from its lowest index towards
// the lower of that edgelet's two neighbours. Chains are in order of their lowest index.
//
// Storage: one block of int32 holding starts (count + 1) then members; it is reused while
// large enough (the worst case, 2n + 1 for n edgelets, is reserved when it is not).
#include <algorithm>

#include "internal.h"

namespace {

constexpr int32_t kNone = -1;

bool similarAngles(const csEdge& a, const csEdge& b) {
  const int32_t d = (a.angle - b.angle) & 255;
  return d < 32 || d > 256 - 32;
}

class chainBuilder {
 public:
  // links: 2n entries; visited: n bytes.
  chainBuilder(const csEdge* edges, int32_t n, int32_t* links, uint8_t* visited)
      : edges_(edges), n_(n), links_(links), visited_(visited) {
    std::fill(links_, links_ + 2 * n_, kNone);
    std::fill(visited_, visited_ + n_, uint8_t{0});
  }

  void link() {
    sweep(false);
    sweep(true);
  }

  // Writes starts[0 .. count] and the members (offset by first) and returns count.
  int32_t trace(int32_t first, int32_t* starts, int32_t* members) {
    int32_t count = 0, written = 0;
    for (int32_t s = 0; s < n_; ++s) {
      if (visited_[s]) continue;
      starts[count++] = written;
      int32_t start = s, towards = kNone;
      if (degree(s) == 2) {
        const int32_t end1 = endFrom(s, links_[2 * s]);
        if (end1 == s) {
          towards = std::min(links_[2 * s], links_[2 * s + 1]);  // a loop
        } else {
          start = std::min(end1, endFrom(s, links_[2 * s + 1]));
        }
      }
      // Walk from start; in a loop the first step goes towards `towards`.
      int32_t previous = kNone, current = start;
      while (current != kNone && !visited_[current]) {
        visited_[current] = 1;
        members[written++] = first + current;
        int32_t next =
            current == start && towards != kNone ? towards : otherLink(current, previous);
        previous = current;
        current = next;
      }
    }
    starts[count] = written;
    return count;
  }

 private:
  int32_t degree(int32_t k) const {
    return (links_[2 * k] != kNone) + (links_[2 * k + 1] != kNone);
  }

  int32_t otherLink(int32_t k, int32_t previous) const {
    const int32_t a = links_[2 * k], b = links_[2 * k + 1];
    return a != previous ? a : b;
  }

  // The end reached leaving s through its neighbour `via`, or s itself around a loop.
  int32_t endFrom(int32_t s, int32_t via) const {
    int32_t previous = s, current = via;
    while (current != s) {
      const int32_t next = otherLink(current, previous);
      if (next == kNone) return current;
      previous = current;
      current = next;
    }
    return s;
  }

  bool sharesLink(int32_t a, int32_t b) const {
    for (int32_t i = 0; i < 2; ++i)
      if (links_[2 * a + i] != kNone &&
          (links_[2 * a + i] == links_[2 * b] || links_[2 * a + i] == links_[2 * b + 1]))
        return true;
    return false;
  }

  void tryLink(int32_t a, int32_t b, bool diagonal) {
    if (degree(a) == 2 || degree(b) == 2 || !similarAngles(edges_[a], edges_[b])) return;
    if (diagonal && sharesLink(a, b)) return;
    links_[2 * a + (links_[2 * a] != kNone)] = b;
    links_[2 * b + (links_[2 * b] != kNone)] = a;
  }

  // Offers every 4-neighbour pair (diagonal false) or every diagonal pair, each from its
  // upper (then left) member, in row order. `below` tracks the first edgelet at or after
  // (column - 1) in the next row.
  void sweep(bool diagonal) {
    int32_t below = 0;
    for (int32_t k = 0; k < n_; ++k) {
      const csEdge& e = edges_[k];
      if (!diagonal && k + 1 < n_ && edges_[k + 1].pj == e.pj && edges_[k + 1].pi == e.pi + 1)
        tryLink(k, k + 1, false);
      while (below < n_ && (edges_[below].pj < e.pj + 1 ||
                            (edges_[below].pj == e.pj + 1 && edges_[below].pi < e.pi - 1)))
        ++below;
      for (int32_t j = below; j < n_ && edges_[j].pj == e.pj + 1 && edges_[j].pi <= e.pi + 1; ++j) {
        if ((edges_[j].pi != e.pi) == diagonal) tryLink(k, j, diagonal);
      }
    }
  }

  const csEdge* edges_;
  const int32_t n_;
  int32_t* links_;
  uint8_t* visited_;
};

}  // namespace

extern "C" int32_t csEdgeChains_construct(csEdgeChains* chains) {
  CEDGE_CHECK(chains);
  *chains = csEdgeChains{};
  return 0;
}

extern "C" int32_t csEdgeChains_destruct(csEdgeChains* chains) {
  CEDGE_CHECK(chains);
  void* block = chains->starts;
  *chains = csEdgeChains{};
  return csys_memory_free_internal(&block);
}

namespace cedge {

int32_t buildChains(const csEdge* edges, int32_t first, int32_t last, csEdgeChains* chains) {
  const int32_t n = last - first;
  if (n == 0) {
    chains->count = 0;
    if (chains->starts) chains->starts[0] = 0;
    chains->members = chains->starts ? chains->starts + 1 : nullptr;
    return 0;
  }
  // Working links and marks, and the chain storage, all taken before anything changes.
  void* work = nullptr;
  if (const int32_t status =
          csys_memory_alloc_internal(size_t(n) * (2 * sizeof(int32_t) + 1), &work);
      status < 0)
    return status;
  const int32_t needed = 2 * n + 1;
  void* grown = nullptr;
  if (chains->capacity < needed) {
    if (const int32_t status = csys_memory_alloc_internal(size_t(needed) * sizeof(int32_t), &grown);
        status < 0) {
      csys_memory_free_internal(&work);
      return status;
    }
    void* old = chains->starts;
    csys_memory_free_internal(&old);
    chains->starts = static_cast<int32_t*>(grown);
    chains->capacity = needed;
  }

  int32_t* links = static_cast<int32_t*>(work);
  chainBuilder builder(edges + first, n, links, reinterpret_cast<uint8_t*>(links + 2 * n));
  builder.link();
  // Members are traced behind the largest possible starts array, then moved down.
  int32_t* starts = chains->starts;
  const int32_t count = builder.trace(first, starts, starts + n + 1);
  csys_memory_copy(size_t(n) * sizeof(int32_t), starts + n + 1, starts + count + 1);
  chains->count = count;
  chains->members = starts + count + 1;
  csys_memory_free_internal(&work);
  return 0;
}

}  // namespace cedge
