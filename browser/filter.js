// Cardo's wildcard filter: patterns separated by ";", "!" before one excludes. "*" is any run,
// "?" one character, "#" one digit, "[list]" and "[!list]" one character in or not in the list
// (ranges such as a-z); case does not count; a pattern must match the whole URL. An empty
// filter lets everything through.
function cardoPattern(pattern) {
  let source = "";
  for (let i = 0; i < pattern.length; i++) {
    const c = pattern[i];
    if (c === "*") source += "[^]*";
    else if (c === "?") source += "[^]";
    else if (c === "#") source += "[0-9]";
    else if (c === "[") {
      const end = pattern.indexOf("]", i + 1);
      if (end < 0) return null;
      let list = pattern.slice(i + 1, end);
      const negated = list.startsWith("!");
      if (negated) list = list.slice(1);
      let set = "";
      for (let k = 0; k < list.length; k++) {
        if (list[k + 1] === "-" && k + 2 < list.length) {
          if (list[k] > list[k + 2]) return null;
          set += escapeInSet(list[k]) + "-" + escapeInSet(list[k + 2]);
          k += 2;
        } else {
          set += escapeInSet(list[k]);
        }
      }
      source += (negated ? "[^" : "[") + set + "]";
      i = end;
    } else source += c.replace(/[.*+?^${}()|[\]\\/]/g, "\\$&");
  }
  return new RegExp("^" + source + "$", "i");
}

function escapeInSet(c) {
  return c.replace(/[\]\\^-]/g, "\\$&");
}

// A test of URLs for `text`: all-positive filters take a URL one of them matches, all-negative
// ones a URL none matches, mixed ones a URL every positive one matches and no negative one.
function cardoFilter(text) {
  const words = text.split(";").map((w) => w.trim()).filter((w) => w !== "");
  if (words.length === 0) return () => true;
  const positive = [];
  const negative = [];
  for (const word of words) {
    const negated = word.startsWith("!");
    (negated ? negative : positive).push(cardoPattern(negated ? word.slice(1) : word));
  }
  const matches = (pattern, url) => pattern !== null && pattern.test(url);
  return (url) => {
    if (negative.some((p) => matches(p, url))) return false;
    if (negative.length === 0) return positive.some((p) => matches(p, url));
    return positive.every((p) => matches(p, url));
  };
}
