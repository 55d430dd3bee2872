#pragma once

#include <string>

// Naming interface for the components of a vector-like value.
class NamesHelper {
  public:
    virtual ~NamesHelper() = default;

    // Name of the component at `index`.
    virtual std::string component_name(int index) const = 0;
    // Number of components that have a name.
    virtual int component_count() const = 0;
};

// Names the components "X", "Y", "Z", "J", "K", "L" (indices 0 to 5); any other
// index is called "xx".
class MathNamesHelper : public NamesHelper {
  public:
    std::string component_name(int index) const override;
    int component_count() const override;
};
