#pragma once

// A date as the property-list formats keep it: seconds since
// 2001-01-01 00:00:00 UTC, exactly as stored.
struct PlistDate
{
    double secondsSinceReference = 0;
};
