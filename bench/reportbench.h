#pragma once

namespace kestrel {

// The reports window's work on a year of a busy café: 200 000 journal rows of several
// operators, the query of the whole year, its total and the chart's series, timed over a few
// runs. Prints the median, the rows read and the query plan; 0 when every run read every row.
int runReportBench();

} // namespace kestrel
