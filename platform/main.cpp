// tarvessa: the windowed viewer.

#include "platform/app.h"

int main(int argc, char** argv) {
    return run_tarvessa(argc, argv);
}
