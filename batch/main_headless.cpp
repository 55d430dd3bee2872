// tarvessa-batch-headless: tarvessa-batch built without any GL, EGL or PNG
// library, for machines that have none; it refuses --png.

#include <string>
#include <vector>

#include "batch/runner.h"

int main(int argc, char** argv) {
    return run_batch(std::vector<std::string>(argv + 1, argv + argc), nullptr);
}
