// tarvessa-batch: loads one .gr file without a window, exactly as the viewer's
// Open command does, prints the console to standard output and, with --png,
// renders the view headless to a PNG file.

#include <string>
#include <vector>

#include "batch/png_export.h"
#include "batch/runner.h"

int main(int argc, char** argv) {
    return run_batch(std::vector<std::string>(argv + 1, argv + argc), export_png);
}
