#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vel {

// A list of the team window whose entries carry a colour: the sensor lists
// and the bicycle list, where red (255) marks the active entry and black (0)
// the others. Entries are kept sorted by their text, as the list shows them
// ("12" before "9").
class ColourList {
 public:
  static constexpr std::int32_t kActive = 255;
  static constexpr std::int32_t kInactive = 0;

  struct Entry {
    std::string text;
    std::int32_t colour;
    std::uint64_t id;
  };

  // Adds an entry; refused (false) when one with the same id is listed.
  bool Add(const std::string& text, std::int32_t colour, std::uint64_t id);
  // Removes the first entry with that id; false when there is none.
  bool Remove(std::uint64_t id);
  const Entry* Find(std::uint64_t id) const;
  bool HasText(const std::string& text) const;
  // Shows the entry with that id active or inactive; false when there is none.
  bool Recolour(std::uint64_t id, bool active);
  void Clear() { entries_.clear(); }

  const std::vector<Entry>& Entries() const { return entries_; }
  bool Empty() const { return entries_.empty(); }

 private:
  std::vector<Entry> entries_;
};

}  // namespace vel
