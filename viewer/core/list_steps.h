// The viewer's walk through a list of n items: where Next and Previous go from the selected index
// i (-1 when nothing is selected), and where Home and End go. -1 means the step selects nothing and
// shows nothing.
// Standard C++ only.
#pragma once

// The item after i, the first after the last; the first when nothing is selected; -1 on an empty
// list.
int NextIndex(int i, int n);
// The item before i, the last before the first; -1 on an empty list or when nothing is selected
// (the step would select the position before the first, which holds no item).
int PreviousIndex(int i, int n);
// The first and the last item; -1 on an empty list.
int FirstIndex(int n);
int LastIndex(int n);
