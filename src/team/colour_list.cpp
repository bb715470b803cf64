#include "team/colour_list.h"

#include <algorithm>

namespace vel {

bool ColourList::Add(const std::string& text, std::int32_t colour, std::uint64_t id) {
  if (Find(id) != nullptr) return false;
  const auto at = std::upper_bound(entries_.begin(), entries_.end(), text,
                                   [](const std::string& t, const Entry& e) { return t < e.text; });
  entries_.insert(at, Entry{text, colour, id});
  return true;
}

bool ColourList::Remove(std::uint64_t id) {
  const auto at =
      std::find_if(entries_.begin(), entries_.end(), [id](const Entry& e) { return e.id == id; });
  if (at == entries_.end()) return false;
  entries_.erase(at);
  return true;
}

const ColourList::Entry* ColourList::Find(std::uint64_t id) const {
  for (const Entry& e : entries_) {
    if (e.id == id) return &e;
  }
  return nullptr;
}

bool ColourList::HasText(const std::string& text) const {
  return std::any_of(entries_.begin(), entries_.end(),
                     [&text](const Entry& e) { return e.text == text; });
}

bool ColourList::Recolour(std::uint64_t id, bool active) {
  for (Entry& e : entries_) {
    if (e.id == id) {
      e.colour = active ? kActive : kInactive;
      return true;
    }
  }
  return false;
}

}  // namespace vel
