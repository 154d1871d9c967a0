#pragma once
// Inside the library: what every chart gets attached as it is made. The
// configuration menu sets it as the library loads, so that hosts get the
// menu without asking and the chart never names it.

#include <functional>

class TrendScope;

void AttachToEveryChart(std::function<void(TrendScope&)> attach);
