#include "viewer/core/list_steps.h"

int NextIndex(int i, int n) {
    if (n <= 0)
        return -1;
    // A selection beyond the end (the list shrank under it) starts again at the first item too.
    return i < 0 || i >= n - 1 ? 0 : i + 1;
}

int PreviousIndex(int i, int n) {
    if (n <= 0 || i < 0)
        return -1;
    return i == 0 || i >= n ? n - 1 : i - 1;
}

int FirstIndex(int n) {
    return n > 0 ? 0 : -1;
}

int LastIndex(int n) {
    return n > 0 ? n - 1 : -1;
}
