#include "common/names_helper.h"

std::string MathNamesHelper::component_name(int index) const {
    static const char* const names[] = {"X", "Y", "Z", "J", "K", "L"};
    if (index < 0 || index >= 6) {
        return "xx";
    }
    return names[index];
}

int MathNamesHelper::component_count() const {
    return 6;
}
