// The program's window set: every window created once, in a fixed order, and alive until the end.
#pragma once

// Creates Form1, MainForm, moveform, copyform, Form4, Form5 and Form6 in this order; only Form1
// is shown (by the caller).
void CreateWindowSet();
// Destroys them again, last created first.
void DestroyWindowSet();
