#include "common/listing_limit.h"

#include <sstream>

#include "common/console_log.h"

bool listing_fits(const StageContext& context, std::string_view name, std::size_t values) {
    if (context.listing_limit == 0 || values <= context.listing_limit) {
        return true;
    }
    std::ostringstream line;
    line << "** " << name << " omise : " << values << " valeurs (plus de "
         << context.listing_limit << ").";
    context.log.append_line(line.str());
    return false;
}
