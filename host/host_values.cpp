#include "host/host_values.h"

HostValues& hostValues()
{
    static HostValues values;
    return values;
}
