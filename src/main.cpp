// Glimra: a browser for graphics and multimedia files.
#include "app/application.h"

int main(int argc, char** argv) {
    return app::run(argc, argv);
}
