#pragma once

// The compiled scenario program "Master.p2", generated at build time from the
// scenario sources in tools/scenarioc/master.
extern const unsigned char kMasterP2[];
extern const unsigned kMasterP2Size;
