// The short names of DirectDraw results in the log.
#include "display/directdraw.h"
#include "support/capturedlog.h"

#include <gtest/gtest.h>

TEST(DDErrorNames, NamesKnownResultsAndCallsEverythingElseOther) {
    EXPECT_STREQ(DDErrorName(win::E_NOTIMPL), "unsupported");
    EXPECT_STREQ(DDErrorName(win::E_OUTOFMEMORY), "out of mem");
    EXPECT_STREQ(DDErrorName(win::DDERR_INCOMPATIBLEPRIMARY), "incompat primary");
    EXPECT_STREQ(DDErrorName(win::DDERR_NOALPHAHW), "no alphs hw");
    EXPECT_STREQ(DDErrorName(win::DDERR_OUTOFVIDEOMEMORY), "out of vmem");
    EXPECT_STREQ(DDErrorName(win::DDERR_NODIRECTDRAWHW), "no dd hw");
    EXPECT_STREQ(DDErrorName(win::DDERR_DCALREADYCREATED), "dc already created");
    EXPECT_STREQ(DDErrorName(win::DDERR_INVALIDMODE), "other DD err");

    CapturedLog log;
    LogDDError(win::DD_OK);
    LogDDError(win::DDERR_SURFACELOST);
    EXPECT_EQ(log.Text(), "other DD err\nsurface lost\n");
}
