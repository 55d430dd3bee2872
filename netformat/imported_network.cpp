#include "netformat/imported_network.h"

std::string ImportError::text() const {
    if (line == 0) {
        return what;
    }
    std::string place = "ligne " + std::to_string(line);
    if (column > 0) {
        place += ", colonne " + std::to_string(column);
    }
    return place + " : " + what;
}
