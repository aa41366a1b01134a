#pragma once
// The product's home page: named in the HTTP client's user agent and opened by the program's
// web links.
namespace cardo {
inline constexpr char kHomePage[] = "https://cardo.example/";
inline constexpr wchar_t kHomePageW[] = L"https://cardo.example/";
}  // namespace cardo
