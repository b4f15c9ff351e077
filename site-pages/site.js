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
    moreCards: "Показать ещё",
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
  const moreCards = document.getElementById("site-more-cards");
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

  // One entry of the contents. An item of `index` is up to five strings
  // (title, file, date, note, thumbnail) and then its children: null or a
  // list of items. Only the file name is read at once (addresses need it);
  // the other fields when something shows them.
  class Node {
    constructor(item, strings, parent, index) {
      this.item = null; // its tree item, once shown
      this.fields = item;
      this.strings = strings;
      const file = asciiLower(this.field(1));
      this.file = isBareName(file) ? file : ""; // never a name that leaves the folder
      this.parent = parent;
      this.level = parent ? parent.level + 1 : 0;
      this.index = index; // among its siblings
      this.order = nodes.length; // in the whole contents
      this.children = [];
      this.group = null; // the list element of its children's items, once shown
      this.list = null; // the shown part of that list
      this.expanded = false;
    }

    field(i) {
      return i < this.strings ? unescapeField(this.fields[i]) : "";
    }

    get title() {
      return this.cached("_title", 0);
    }

    get date() {
      return this.cached("_date", 2);
    }

    get note() {
      return this.cached("_note", 3);
    }

    get thumb() {
      if (this._thumb === undefined) {
        const thumb = asciiLower(this.field(4));
        this._thumb = isBareName(thumb) ? thumb : "";
      }
      return this._thumb;
    }

    cached(key, i) {
      if (this[key] === undefined) this[key] = this.field(i);
      return this[key];
    }
  }

  function readItems(items, parent) {
    const list = [];
    if (!Array.isArray(items)) return list;
    for (const item of items) {
      if (!Array.isArray(item)) continue;
      let strings = 0;
      while (strings < item.length && typeof item[strings] === "string") ++strings;
      const node = new Node(item, strings, parent, list.length);
      nodes.push(node);
      if (node.file && !byFile.has(node.file)) byFile.set(node.file, node);
      list.push(node);
      node.children = readItems(item[strings], node);
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

  // A list of siblings shows its first items at once and the rest as the
  // contents pane is scrolled towards them or the keyboard reaches them, so
  // a site of any size shows its tree at once.
  const FIRST_ITEMS = 60;
  const MORE_ITEMS = 300;

  const nodeOfItem = new WeakMap();
  const listOfMarker = new WeakMap();
  const markerWatch =
    "IntersectionObserver" in window
      ? new IntersectionObserver(markersSeen, { root: contents, rootMargin: "0px 0px 800px 0px" })
      : null;
  let roots = [];
  let rootList = null; // the shown part of the list of roots
  let tabStop = null; // the node whose item is reached with Tab
  let current = null; // the node whose document is shown

  function treeItem(node, siblings) {
    const li = element("li");
    li.setAttribute("role", "none");
    const item = element("a");
    item.setAttribute("role", "treeitem");
    item.setAttribute("aria-level", String(node.level + 1));
    item.setAttribute("aria-setsize", String(siblings.length));
    item.setAttribute("aria-posinset", String(node.index + 1));
    item.tabIndex = node === tabStop ? 0 : -1;
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

  function itemList(container, siblings) {
    const list = { container, siblings, shown: 0, marker: null };
    showItems(list, markerWatch ? FIRST_ITEMS : siblings.length);
    return list;
  }

  function showItems(list, count) {
    const end = Math.min(list.siblings.length, list.shown + count);
    if (end <= list.shown) return;
    const fragment = document.createDocumentFragment();
    for (let i = list.shown; i < end; ++i) fragment.appendChild(treeItem(list.siblings[i], list.siblings));
    list.shown = end;
    list.container.insertBefore(fragment, list.marker);
    if (list.marker) markerWatch.unobserve(list.marker);
    if (end === list.siblings.length) {
      if (list.marker) list.marker.remove();
      list.marker = null;
      return;
    }
    if (!list.marker) {
      list.marker = element("li", "tree-more");
      list.marker.setAttribute("role", "none");
      listOfMarker.set(list.marker, list);
      list.container.appendChild(list.marker);
    }
    // Watched afresh, so a marker still in sight asks for more again.
    markerWatch.observe(list.marker);
  }

  function markersSeen(entries) {
    for (const entry of entries)
      if (entry.isIntersecting) showItems(listOfMarker.get(entry.target), MORE_ITEMS);
  }

  // The node's tree item, made now if its list has not come to it yet; its
  // branch is opened to it.
  function itemOf(node) {
    if (!node.item) {
      if (node.parent) setExpanded(node.parent, true);
      const list = node.parent ? node.parent.list : rootList;
      showItems(list, node.index + 1 - list.shown);
    }
    return node.item;
  }

  // A branch's items are made the first time it opens.
  function setExpanded(node, open) {
    if (!node.children.length || node.expanded === open) return;
    const item = itemOf(node);
    node.expanded = open;
    if (open && !node.group) {
      const group = element("ul");
      group.setAttribute("role", "group");
      group.id = "site-group-" + node.order;
      item.parentNode.appendChild(group);
      item.setAttribute("aria-owns", group.id);
      node.group = group;
      node.list = itemList(group, node.children);
    }
    node.group.hidden = !open;
    item.setAttribute("aria-expanded", String(open));
    if (!open && tabStop && isInside(tabStop, node)) setTabStop(node);
  }

  function isInside(node, ancestor) {
    for (let n = node.parent; n; n = n.parent) if (n === ancestor) return true;
    return false;
  }

  function setTabStop(node) {
    if (tabStop && tabStop.item) tabStop.item.tabIndex = -1;
    tabStop = node;
    itemOf(node).tabIndex = 0;
  }

  function focusItem(node) {
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
      if (n.index + 1 < siblings.length) return siblings[n.index + 1];
    }
    return null;
  }

  function lastVisibleIn(node) {
    while (node.expanded) node = node.children[node.children.length - 1];
    return node;
  }

  function previousVisible(node) {
    return node.index > 0 ? lastVisibleIn(siblingsOf(node)[node.index - 1]) : node.parent;
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
    setExpanded(node, true);
    itemOf(node).setAttribute("aria-current", "page");
    setTabStop(node);
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

  // The document file a query names: decoded, ASCII lower-cased.
  function fileOfQuery(query) {
    try {
      query = decodeURIComponent(query);
    } catch (error) {
      // A malformed escape: the text as it stands.
    }
    return asciiLower(query);
  }

  let home = null; // the first node with a document: the page without a query
  function nodeFromAddress() {
    const query = location.search.slice(1);
    if (!query) return home;
    return byFile.get(fileOfQuery(query)) || null;
  }

  function isOpeningElsewhere(event) {
    return event.button !== 0 || event.ctrlKey || event.metaKey || event.shiftKey || event.altKey;
  }

  // The document file a link inside the page leads to: contents links are
  // "?" and the file name.
  function contentsLinkTarget(link) {
    const href = link.getAttribute("href");
    if (!href || href[0] !== "?") return null;
    return fileOfQuery(href.slice(1).split("#")[0]);
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
    const name = link === brand ? home && home.file : contentsLinkTarget(link);
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
    document.title =
      node === home ? brand.textContent : titleOf(node) + " \u2014 " + brand.textContent;
    showTrail(node);
    showMeta(node);
    showCards(node);
    showPager(node);
    // Last, so the page is laid out once.
    if (!narrow.matches) keepInView(node);
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
    for (const n of path) list.appendChild(element("li")).appendChild(titleLink(n));
    const here = element("li", "", titleOf(node));
    here.setAttribute("aria-current", "page");
    list.appendChild(here);
    trail.replaceChildren(list);
  }

  // The node's title, a link to its document when it has one.
  function titleLink(node) {
    if (!node.file) return document.createTextNode(titleOf(node));
    const link = element("a", "", titleOf(node));
    link.setAttribute("href", addressOf(node));
    return link;
  }

  function showMeta(node) {
    meta.hidden = !node.date;
    meta.textContent = node.date ? TEXT.dated + node.date : "";
  }

  // Cards come in portions: a section of thousands shows the first ones and
  // a button for the next.
  const CARD_PORTION = 30;
  let cardsOf = null;

  function showCards(node) {
    children.hidden = !node.children.length;
    cardsOf = node;
    cards.replaceChildren();
    showMoreCards();
  }

  function showMoreCards() {
    const list = cardsOf.children;
    const from = cards.childElementCount;
    const to = Math.min(list.length, from + CARD_PORTION);
    cards.append(...list.slice(from, to).map(card));
    moreCards.hidden = to === list.length;
    moreCards.textContent = TEXT.moreCards + " (" + (list.length - to) + ")";
  }

  moreCards.addEventListener("click", () => {
    const from = cards.childElementCount;
    showMoreCards();
    const link = cards.children[from] && cards.children[from].querySelector("a");
    if (link) link.focus();
  });

  function card(node) {
    const li = element("li", "card");
    const body = element("div", "card-body");
    body.appendChild(element("h3", "card-title")).appendChild(titleLink(node));
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
    let before = null;
    let after = null;
    for (let i = node.order - 1; i >= 0 && !before; --i) if (nodes[i].file) before = nodes[i];
    for (let i = node.order + 1; i < nodes.length && !after; ++i) if (nodes[i].file) after = nodes[i];
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

  // A host that announces a charset for `index` (some give every file
  // without an extension "text/plain; charset=utf-8") overrides the script
  // element's windows-1251, and the titles come out as replacement
  // characters. Then the file is fetched again as bytes and read here.
  function misread(items) {
    return JSON.stringify(items).includes("\uFFFD");
  }

  function fetchContents() {
    return fetch("index")
      .then((response) => (response.ok ? response.arrayBuffer() : Promise.reject(response.status)))
      .then((bytes) => parseContents(cp1251.decode(new Uint8Array(bytes))));
  }

  // The lists of `index` as the script would build them: from the first
  // "(", quoted strings, "null", nested "new Array(" and ")"; commas and
  // blanks fall between the matches.
  function parseContents(text) {
    const token = /"([^"]*)"|new\s*Array\s*\(|\)|null/g;
    token.lastIndex = text.indexOf("(") + 1;
    const roots = [];
    const open = [roots];
    let match;
    while (token.lastIndex > 0 && open.length && (match = token.exec(text))) {
      const list = open[open.length - 1];
      if (match[1] !== undefined) list.push(match[1]);
      else if (match[0] === "null") list.push(null);
      else if (match[0] === ")") open.pop();
      else {
        const inner = [];
        list.push(inner);
        open.push(inner);
      }
    }
    return roots;
  }

  function start() {
    if (Array.isArray(window.index) && misread(window.index)) {
      fetchContents().then(showContents, () => showContents(window.index));
    } else {
      showContents(window.index);
    }
  }

  function showContents(items) {
    if (!Array.isArray(items)) {
      brand.textContent = TEXT.site;
      article.replaceChildren(notice(TEXT.noContents));
      return;
    }
    roots = readItems(items, null);
    home = nodes.find((node) => node.file) || null;
    brand.textContent = roots.length ? titleOf(roots[0]) : TEXT.site;
    rootList = itemList(tree, roots);
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
