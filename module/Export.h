#pragma once
// Symbol visibility of the module library: everything is hidden unless marked.

#define CORVEL_EXPORT __attribute__((visibility("default")))
