// The core tests read dates as the programs do: in the regional formats of the registry file
// that $KALVORA_REGISTRY names, which many tests write for themselves.
#include "data/date_text.h"
#include "settings/regional_formats.h"

#include <gtest/gtest.h>

int main(int argc, char* argv[])
{
    const kalvora::ScopedDateText dateText(kalvora::regionalFormats);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
