#include "Arguments.h"

Arguments::Arguments(int argc, char** argv) : m_arguments(argv, argv + argc) {
    PointAtArguments();
}
