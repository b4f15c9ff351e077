#pragma once

#include <QString>

// Makes site (a folder path ending in '/') a site of count pages of size
// random bytes each, page0000.htm on, and an index naming none of them.
void WriteRandomPages(const QString& site, int count, int size);
