// Reading and applying the stored property lists (property_lists.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

class QObject;

namespace shell {

enum class PropertyType { Int32, Boolean, Color, String };

// The declared type of a property name, compared without regard to case;
// nullopt for a name the lists never use (its value's width is unknown).
std::optional<PropertyType> DeclaredPropertyType(std::string_view name);

struct PropertyEntry {
  std::string_view name;  // as stored
  PropertyType type = PropertyType::Int32;
  std::int32_t int32 = 0;
  bool boolean = false;
  std::uint32_t rgb = 0;  // 0xRRGGBB
  std::string_view text;  // UTF-8, a view into the list
};

// Decodes list entry by entry, calling visit for each. Stops at the first
// entry that is not whole (no space after the name, an unknown name, a value
// running past the end) and never reads past list.size(). Returns how many
// bytes were decoded: list.size() exactly when every entry was whole.
std::size_t ReadPropertyList(std::string_view list, const std::function<void(const PropertyEntry&)>& visit);

// Applies list to target, a widget made for one of the stored lists (the main
// window or one of its controls), in stored order. A malformed list is
// applied up to its last whole entry.
void SetProperties(QObject* target, std::string_view list);

}  // namespace shell
