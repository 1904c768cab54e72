#include "windows/description.hpp"

const ControlRow* WindowDescription::row(std::string_view controlName) const {
  for (std::size_t i = 0; i < controlCount; ++i) {
    if (controls[i].id.name == controlName) return &controls[i];
  }
  return nullptr;
}

const ControlRow* WindowDescription::rowWithId(int id) const {
  for (std::size_t i = 0; i < controlCount; ++i) {
    if (controls[i].id.id == id) return &controls[i];
  }
  return nullptr;
}
