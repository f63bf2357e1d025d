#include "app/ConverterApp.h"
#include "platform/StandardStreams.h"

int main(int argc, char** argv) {
    if (!platform::OpenStandardStreams())
        return 1;
    return theApp.Run(argc, argv);
}
