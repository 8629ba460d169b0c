#include "driver/esegui.h"

int main(int argc, char** argv) {
    return compattatore::esegui(argc, argv);
}
