// The home page at work: the table of contents that `index` assigns becomes a
// tree; the selected document is fetched and shown inside the page, its
// children under it as cards. The document's file name is the address's
// query ("index.html?name.htm"), so a page can be bookmarked and the
// browser's back and forward buttons work.
(function () {
  "use strict";

  const TEXT = {
    site: "Сайт",
    untitled: "Без названия",
    emptySite: "На сайте пока нет страниц.",
    noContents: "Не удалось загрузить содержание сайта (файл index).",
    notInContents: "Такой страницы нет в содержании сайта.",
    loadFailed: "Не удалось загрузить страницу",
    fromDisk:
      "Браузер не даёт странице читать файлы с диска. Откройте сайт через " +
      "веб-сервер, например командой «python3 -m http.server» в папке сайта.",
    previous: "Назад",
    next: "Дальше",
    dated: "Дата: ",
  };

  // Contents links name this window as their target.
  window.name = "index";

  const tree = document.getElementById("site-tree");
  const contents = document.getElementById("site-contents");
  const toggle = document.getElementById("site-contents-toggle");
  const backdrop = document.getElementById("site-backdrop");
  const brand = document.getElementById("site-brand");
  const main = document.getElementById("site-main");
  const trail = document.getElementById("site-trail");
  const article = document.getElementById("site-document");
  const meta = document.getElementById("site-meta");
  const children = document.getElementById("site-children");
  const cards = document.getElementById("site-cards");
  const pager = document.getElementById("site-pager");
  const status = document.getElementById("site-status");
  const narrow = window.matchMedia("(max-width: 56rem)");

  // ---- Reading the contents ------------------------------------------------

  const cp1251 = new TextDecoder("windows-1251");
  const NAMED = { amp: "&", lt: "<", gt: ">", quot: '"' };

  // Fields are stored with &amp; &lt; &gt; &quot; and &#N; (N a windows-1251
  // byte); anything else is left as it is.
  function unescapeField(text) {
    if (typeof text !== "string") return "";
    if (text.indexOf("&") < 0) return text;
    return text.replace(/&(amp|lt|gt|quot);|&#(\d+);/g, (match, name, code) =>
      name ? NAMED[name] : cp1251.decode(Uint8Array.of(Number(code) % 256))
    );
  }

  // File names are compared as the program compares them: only A to Z fold.
  function asciiLower(text) {
    return /[A-Z]/.test(text) ? text.replace(/[A-Z]/g, (c) => c.toLowerCase()) : text;
  }

  const nodes = []; // pre-order
  const byFile = new Map();

  // An item is up to five strings (title, file, date, note, thumbnail) and
  // then its children: null or a list of items.
  function readItems(items, parent) {
    const list = [];
    if (!Array.isArray(items)) return list;
    for (const item of items) {
      if (!Array.isArray(item)) continue;
      const fields = [];
      let kids = null;
      for (const value of item) {
        if (typeof value !== "string") {
          kids = value;
          break;
        }
        fields.push(value);
      }
      const node = {
        title: unescapeField(fields[0]),
        file: asciiLower(unescapeField(fields[1])),
        date: unescapeField(fields[2]),
        note: unescapeField(fields[3]),
        thumb: asciiLower(unescapeField(fields[4])),
        parent,
        order: nodes.length,
        children: [],
        item: null, // its tree item, once shown
        group: null, // the list of its children's tree items, once shown
        expanded: false,
      };
      // A name that could leave the folder is never fetched.
      if (!isBareName(node.file)) node.file = "";
      if (!isBareName(node.thumb)) node.thumb = "";
      nodes.push(node);
      if (node.file && !byFile.has(node.file)) byFile.set(node.file, node);
      list.push(node);
      node.children = readItems(kids, node);
    }
    return list;
  }

  function isBareName(name) {
    return name !== "" && name !== "." && name !== ".." && !/[\/\\\0]/.test(name);
  }

  function titleOf(node) {
    return node.title.trim() ? node.title : TEXT.untitled;
  }

  function addressOf(node) {
    return "?" + encodeURIComponent(node.file);
  }

  function element(tag, className, text) {
    const el = document.createElement(tag);
    if (className) el.className = className;
    if (text !== undefined) el.textContent = text;
    return el;
  }

  // ---- The tree ------------------------------------------------------------

  const nodeOfItem = new WeakMap();
  let roots = [];
  let tabStop = null; // the node whose item is reached with Tab
  let current = null; // the node whose document is shown

  function treeItem(node) {
    const li = element("li");
    li.setAttribute("role", "none");
    const item = element("a");
    item.setAttribute("role", "treeitem");
    item.tabIndex = -1;
    if (node.file) item.setAttribute("href", addressOf(node));
    const twisty = element("span", "twisty");
    twisty.setAttribute("aria-hidden", "true");
    const label = element("span", node.title.trim() ? "label" : "label untitled", titleOf(node));
    if (node.children.length) item.setAttribute("aria-expanded", "false");
    else item.className = "leaf";
    item.append(twisty, label);
    li.appendChild(item);
    node.item = item;
    nodeOfItem.set(item, node);
    return li;
  }

  function itemList(list) {
    const fragment = document.createDocumentFragment();
    for (const node of list) fragment.appendChild(treeItem(node));
    return fragment;
  }

  // A branch's items are made the first time it opens, so a large site
  // shows its tree as fast as a small one.
  function setExpanded(node, open) {
    if (!node.children.length || node.expanded === open) return;
    node.expanded = open;
    if (open && !node.group) {
      const group = element("ul");
      group.setAttribute("role", "group");
      group.id = "site-group-" + node.order;
      group.appendChild(itemList(node.children));
      node.item.parentNode.appendChild(group);
      node.item.setAttribute("aria-owns", group.id);
      node.group = group;
    }
    node.group.hidden = !open;
    node.item.setAttribute("aria-expanded", String(open));
    if (!open && tabStop && isInside(tabStop, node)) setTabStop(node);
  }

  function isInside(node, ancestor) {
    for (let n = node.parent; n; n = n.parent) if (n === ancestor) return true;
    return false;
  }

  function reveal(node) {
    const path = [];
    for (let n = node.parent; n; n = n.parent) path.push(n);
    for (let i = path.length - 1; i >= 0; --i) setExpanded(path[i], true);
  }

  function setTabStop(node) {
    if (tabStop && tabStop.item) tabStop.item.tabIndex = -1;
    tabStop = node;
    node.item.tabIndex = 0;
  }

  function focusItem(node) {
    reveal(node);
    setTabStop(node);
    node.item.focus();
    keepInView(node);
  }

  function siblingsOf(node) {
    return node.parent ? node.parent.children : roots;
  }

  function nextVisible(node) {
    if (node.expanded) return node.children[0];
    for (let n = node; n; n = n.parent) {
      const siblings = siblingsOf(n);
      const index = siblings.indexOf(n);
      if (index + 1 < siblings.length) return siblings[index + 1];
    }
    return null;
  }

  function lastVisibleIn(node) {
    while (node.expanded) node = node.children[node.children.length - 1];
    return node;
  }

  function previousVisible(node) {
    const siblings = siblingsOf(node);
    const index = siblings.indexOf(node);
    return index > 0 ? lastVisibleIn(siblings[index - 1]) : node.parent;
  }

  // Scrolls the contents pane alone, never the page.
  function keepInView(node) {
    const pane = contents.getBoundingClientRect();
    const box = node.item.getBoundingClientRect();
    if (box.top < pane.top) contents.scrollTop -= pane.top - box.top + 8;
    else if (box.bottom > pane.bottom) contents.scrollTop += box.bottom - pane.bottom + 8;
  }

  function markCurrent(node) {
    if (current && current.item) current.item.removeAttribute("aria-current");
    current = node;
    if (!node) return;
    reveal(node);
    setExpanded(node, true);
    node.item.setAttribute("aria-current", "page");
    setTabStop(node);
    if (!narrow.matches) keepInView(node);
  }

  // Next visible node, after node and round again, whose title starts with
  // the typed letter.
  function findByLetter(node, letter) {
    const wanted = letter.toLocaleLowerCase();
    for (let n = nextVisible(node) || roots[0]; n && n !== node; n = nextVisible(n) || roots[0])
      if (titleOf(n).trim().toLocaleLowerCase().startsWith(wanted)) return n;
    return null;
  }

  tree.addEventListener("keydown", (event) => {
    const node = nodeOfItem.get(event.target);
    if (!node || event.altKey || event.ctrlKey || event.metaKey) return;
    let target = null;
    switch (event.key) {
      case "ArrowDown":
        target = nextVisible(node);
        break;
      case "ArrowUp":
        target = previousVisible(node);
        break;
      case "ArrowRight":
        if (!node.children.length) break;
        if (node.expanded) target = node.children[0];
        else setExpanded(node, true);
        break;
      case "ArrowLeft":
        if (node.expanded) setExpanded(node, false);
        else target = node.parent;
        break;
      case "Home":
        target = roots[0];
        break;
      case "End":
        target = lastVisibleIn(roots[roots.length - 1]);
        break;
      case "*":
        for (const sibling of siblingsOf(node)) setExpanded(sibling, true);
        break;
      case "Enter":
      case " ":
        activate(node);
        break;
      default:
        if (event.key.length !== 1 || event.key === " ") return;
        target = findByLetter(node, event.key);
    }
    event.preventDefault();
    if (target) focusItem(target);
  });

  tree.addEventListener("click", (event) => {
    const item = event.target.closest('[role="treeitem"]');
    const node = item && nodeOfItem.get(item);
    if (!node || isOpeningElsewhere(event)) return;
    event.preventDefault();
    setTabStop(node);
    if (event.target.closest(".twisty") && node.children.length)
      setExpanded(node, !node.expanded);
    else activate(node);
  });

  // Opens a node's document; a node already shown, or one without a
  // document, opens or closes its branch instead.
  function activate(node) {
    if (node === current || !node.file) {
      setExpanded(node, !node.expanded);
      return;
    }
    go(node.file, false);
    if (narrow.matches) setDrawer(false);
  }

  // ---- The drawer on narrow screens ----------------------------------------

  function setDrawer(open) {
    document.body.classList.toggle("contents-open", open);
    toggle.setAttribute("aria-expanded", String(open));
    backdrop.hidden = !open;
    if (open && tabStop) {
      tabStop.item.focus();
      keepInView(tabStop);
    }
  }

  toggle.addEventListener("click", () =>
    setDrawer(!document.body.classList.contains("contents-open"))
  );
  backdrop.addEventListener("click", () => setDrawer(false));
  document.addEventListener("keydown", (event) => {
    if (event.key === "Escape" && document.body.classList.contains("contents-open")) {
      setDrawer(false);
      toggle.focus();
    }
  });
  narrow.addEventListener("change", () => setDrawer(false));

  // ---- Addresses and history -----------------------------------------------

  function home() {
    return nodes.find((node) => node.file) || null;
  }

  function nodeFromAddress() {
    let query = location.search.slice(1);
    if (!query) return home();
    try {
      query = decodeURIComponent(query);
    } catch (error) {
      // A malformed escape: the text as it stands.
    }
    return byFile.get(asciiLower(query)) || null;
  }

  function isOpeningElsewhere(event) {
    return event.button !== 0 || event.ctrlKey || event.metaKey || event.shiftKey || event.altKey;
  }

  // The document file a link inside the page leads to: contents links are
  // "?" and the file name.
  function contentsLinkTarget(link) {
    const href = link.getAttribute("href");
    if (!href || href[0] !== "?") return null;
    let name = href.slice(1).split("#")[0];
    try {
      name = decodeURIComponent(name);
    } catch (error) {
      // Used as written.
    }
    return asciiLower(name);
  }

  // Puts a document's address into the history and shows it. A name that
  // is not in the contents gets its address too, so back still returns.
  function go(file, fromContent) {
    const node = byFile.get(file) || null;
    if (node && node === current) return;
    history.replaceState({ scroll: window.scrollY }, "");
    history.pushState({ scroll: 0 }, "", "?" + encodeURIComponent(file));
    show(node, { scroll: 0, focus: fromContent, announce: true });
  }

  document.addEventListener("click", (event) => {
    if (event.defaultPrevented || isOpeningElsewhere(event)) return;
    const link = event.target.closest("a[href]");
    if (!link) return;
    const target = (link.getAttribute("target") || "").toLowerCase();
    if (!["", "index", "_self", "_top", "_parent"].includes(target)) return;
    const first = home();
    const name = link === brand ? first && first.file : contentsLinkTarget(link);
    if (!name) return;
    event.preventDefault();
    go(name, true);
  });

  window.addEventListener("popstate", (event) => {
    const node = nodeFromAddress();
    // A jump to an anchor inside the same document keeps the page.
    if (node && node === current) return;
    const scroll = event.state && typeof event.state.scroll === "number" ? event.state.scroll : 0;
    show(node, { scroll, focus: false, announce: true });
  });

  // ---- Showing a node --------------------------------------------------------

  let serial = 0; // the latest request wins when clicks overtake fetches

  // scroll: where the page goes once the document is in; focus: move the
  // keyboard focus to the page (after a link inside it, which is gone);
  // announce: tell a screen reader the new page's title.
  function show(node, options) {
    if (!node) {
      showMissing(options);
      return;
    }
    markCurrent(node);
    const first = home();
    document.title =
      node === first ? brand.textContent : titleOf(node) + " \u2014 " + brand.textContent;
    showTrail(node);
    showMeta(node);
    showCards(node);
    showPager(node);
    const request = ++serial;
    article.setAttribute("aria-busy", "true");
    loadDocument(node.file).then(
      (body) => finishShowing(request, titleOf(node), body, options),
      (error) => finishShowing(request, titleOf(node), failure(node, error), options)
    );
  }

  function finishShowing(request, title, body, { scroll, focus, announce }) {
    if (request !== serial) return;
    article.replaceChildren(body);
    article.removeAttribute("aria-busy");
    window.scrollTo(0, scroll);
    if (focus) main.focus({ preventScroll: true });
    if (announce) status.textContent = title;
  }

  function showMissing(options) {
    markCurrent(null);
    for (const part of [trail, meta, children, pager]) part.hidden = true;
    document.title = TEXT.notInContents;
    finishShowing(++serial, TEXT.notInContents, notice(TEXT.notInContents), options);
  }

  function notice(text) {
    const p = element("p", "notice", text);
    p.setAttribute("role", "alert");
    return p;
  }

  function failure(node, error) {
    if (location.protocol === "file:") return notice(TEXT.fromDisk);
    return notice(TEXT.loadFailed + " \u00ab" + titleOf(node) + "\u00bb (" + error.message + ").");
  }

  function showTrail(node) {
    trail.hidden = !node.parent;
    trail.replaceChildren();
    if (!node.parent) return;
    const list = element("ol");
    const path = [];
    for (let n = node.parent; n; n = n.parent) path.unshift(n);
    for (const n of path) {
      const li = element("li");
      if (n.file) {
        const link = element("a", "", titleOf(n));
        link.setAttribute("href", addressOf(n));
        li.appendChild(link);
      } else {
        li.textContent = titleOf(n);
      }
      list.appendChild(li);
    }
    const here = element("li", "", titleOf(node));
    here.setAttribute("aria-current", "page");
    list.appendChild(here);
    trail.replaceChildren(list);
  }

  function showMeta(node) {
    meta.hidden = !node.date;
    meta.textContent = node.date ? TEXT.dated + node.date : "";
  }

  function showCards(node) {
    children.hidden = !node.children.length;
    cards.replaceChildren(...node.children.map(card));
  }

  function card(node) {
    const li = element("li", "card");
    const body = element("div", "card-body");
    const heading = element("h3", "card-title");
    if (node.file) {
      const link = element("a", "", titleOf(node));
      link.setAttribute("href", addressOf(node));
      heading.appendChild(link);
    } else {
      heading.textContent = titleOf(node);
    }
    body.appendChild(heading);
    if (node.note) body.appendChild(element("p", "card-note", node.note));
    if (node.date) body.appendChild(element("p", "card-date", node.date));
    let picture;
    if (node.thumb) {
      picture = element("img", "card-thumb");
      picture.alt = "";
      picture.loading = "lazy";
      picture.src = node.thumb;
    } else {
      picture = element("div", "card-thumb card-initial", titleOf(node).trim().charAt(0));
      picture.setAttribute("aria-hidden", "true");
    }
    // The title comes first for a screen reader, the picture first on screen.
    picture.style.order = "-1";
    li.append(body, picture);
    return li;
  }

  function showPager(node) {
    const withFile = (n) => n.file;
    const before = nodes.slice(0, node.order).reverse().find(withFile);
    const after = nodes.slice(node.order + 1).find(withFile);
    pager.hidden = !before && !after;
    pager.replaceChildren();
    if (before) pager.appendChild(pagerLink(before, "previous", "\u2190 " + TEXT.previous));
    if (after) pager.appendChild(pagerLink(after, "next", TEXT.next + " \u2192"));
  }

  function pagerLink(node, className, label) {
    const link = element("a", className);
    link.setAttribute("href", addressOf(node));
    link.setAttribute("rel", className === "next" ? "next" : "prev");
    link.append(element("span", "pager-label", label), element("span", "pager-title", titleOf(node)));
    return link;
  }

  // ---- Documents ---------------------------------------------------------------

  const texts = new Map(); // file name -> decoded text, for back and forward

  async function loadDocument(file) {
    let text = texts.get(file);
    if (text === undefined) {
      const response = await fetch(encodeURIComponent(file), { cache: "no-cache" });
      if (!response.ok) throw new Error(response.status + " " + response.statusText);
      text = decodeDocument(new Uint8Array(await response.arrayBuffer()));
      texts.set(file, text);
    }
    return documentBody(text);
  }

  // Documents are windows-1251 and say so in a meta element; a byte order
  // mark or another declared charset is honoured too.
  function decodeDocument(bytes) {
    let label = "windows-1251";
    if (bytes[0] === 0xef && bytes[1] === 0xbb && bytes[2] === 0xbf) {
      label = "utf-8";
    } else {
      const head = String.fromCharCode.apply(null, bytes.subarray(0, 1024));
      const declared = /<meta[^>]*charset\s*=\s*["']?\s*([\w.:-]+)/i.exec(head);
      if (declared) label = declared[1];
    }
    try {
      return new TextDecoder(label).decode(bytes);
    } catch (error) {
      return cp1251.decode(bytes);
    }
  }

  // The document's body, ready to go into the page: its pictures are bare
  // names in the same folder, so they load from here as they are. Scripts
  // of the document do not run here.
  function documentBody(text) {
    const parsed = new DOMParser().parseFromString(text, "text/html");
    for (const script of parsed.querySelectorAll("script")) script.remove();
    for (const table of parsed.body.querySelectorAll("table")) {
      if (table.parentElement.closest("table")) continue;
      const scroller = parsed.createElement("div");
      scroller.className = "table-scroll";
      table.replaceWith(scroller);
      scroller.appendChild(table);
    }
    const fragment = document.createDocumentFragment();
    fragment.append(...parsed.body.childNodes);
    return fragment;
  }

  // ---- Start -------------------------------------------------------------------

  function start() {
    if (!Array.isArray(window.index)) {
      brand.textContent = TEXT.site;
      article.replaceChildren(notice(TEXT.noContents));
      return;
    }
    roots = readItems(window.index, null);
    brand.textContent = roots.length ? titleOf(roots[0]) : TEXT.site;
    tree.appendChild(itemList(roots));
    if (roots.length) setTabStop(roots[0]);
    if ("scrollRestoration" in history) history.scrollRestoration = "manual";
    if (!nodes.length) {
      article.replaceChildren(notice(TEXT.emptySite));
      return;
    }
    show(nodeFromAddress(), { scroll: 0, focus: false, announce: false });
  }

  start();
})();
