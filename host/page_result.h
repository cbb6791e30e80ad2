#pragma once

// How a page was left.
enum class PageResult { Back = -1, Finish = 0, Next = 1, Cancel = 2 };

// A page's place in the sequence; decides which buttons are enabled and which is the default.
enum class ButtonMode { FirstPage = 0, FirstPageBackAllowed = 1, MiddlePage = 2, LastPage = 3 };
