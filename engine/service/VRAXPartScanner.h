#pragma once

#include "engine/transport/mime/VXLBoundaryScanner.h"

// The tokenizer of the service's multipart replies: the transport's boundary
// scanner, which already keeps its place between receives, under the names
// the reply reader uses. The reply announces its boundary with leading
// dashes ("--Veltmarsh") while a delimiter line is any run of dashes and the
// bare word, so the dashes are taken off the announced word.
class CVRAXPartScanner : public CVXLBoundaryScanner {
public:
    void setBoundary(const CVXLString& word);
    TokenType peek() { return peekType(); }
};
