// WirelessLoader takes no arguments and prints nothing; its exit status says
// whether a driver was found.
#include "loader/PrefLoader.h"

int main() {
    return runPrefLoader(LoaderLocations{});
}
