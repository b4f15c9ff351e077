// The document side of the editing-engine adapter. It runs in an isolated
// world: the page's own scripts are off, and nothing defined here is visible
// to the document. Nothing here writes into the document for display: marks
// are drawn through an adopted style sheet, handles live in a map.
(function () {
    'use strict';
    if (window.__q)
        return;

    const handles = new Map();
    let nextHandle = 1;
    let control = null; // the element selected as an object
    let showZeroBorders = false;

    const marks = new CSSStyleSheet();
    document.adoptedStyleSheets = [...document.adoptedStyleSheets, marks];

    const ZERO_BORDER_RULE =
        'table:is([border="0"], :not([border])), ' +
        'table:is([border="0"], :not([border])) > * > tr > :is(td, th) ' +
        '{ outline: 1px dotted #a0a0a0 !important; outline-offset: -1px; }';
    const CONTROL_STYLE = '{ outline: 2px solid #3875d7 !important; outline-offset: 1px; }';

    const OBJECT_TAGS = new Set(['IMG', 'HR', 'INPUT', 'TEXTAREA', 'SELECT', 'BUTTON', 'OBJECT',
                                 'EMBED', 'IFRAME', 'VIDEO', 'AUDIO', 'CANVAS']);

    // Names shown in the style chooser and the blocks they stand for.
    const BLOCK_FORMATS = [
        ['Обычный', 'P'], ['Форматированный', 'PRE'], ['Адрес', 'ADDRESS'],
        ['Заголовок 1', 'H1'], ['Заголовок 2', 'H2'], ['Заголовок 3', 'H3'],
        ['Заголовок 4', 'H4'], ['Заголовок 5', 'H5'], ['Заголовок 6', 'H6'],
        ['Цитата', 'BLOCKQUOTE'], ['Определение термина', 'DT'], ['Определение', 'DD'],
        ['Раздел', 'DIV'],
    ];

    // HTML font sizes 1 to 7 in pixels at the default font size.
    const LEGACY_FONT_PIXELS = [10, 13, 16, 18, 24, 32, 48];

    function fail(message) { throw new Error(message); }

    function put(object) {
        if (object == null)
            return 0;
        const id = nextHandle++;
        handles.set(id, object);
        return id;
    }

    function get(id) {
        const object = handles.get(id);
        if (object === undefined)
            fail('объект документа уже освобожден');
        return object;
    }

    function element(id, ...tags) {
        const el = get(id);
        if (!(el instanceof Element))
            fail('это не элемент документа');
        if (tags.length && !tags.includes(el.tagName))
            fail('элемент ' + el.tagName + ' не поддерживает эту операцию');
        return el;
    }

    function indexInParent(node) {
        return Array.prototype.indexOf.call(node.parentNode.childNodes, node);
    }

    function isControlSelected() {
        if (!control || !control.isConnected || !control.parentNode)
            return false;
        const sel = getSelection();
        if (sel.rangeCount !== 1)
            return false;
        const r = sel.getRangeAt(0);
        const parent = control.parentNode;
        const at = indexInParent(control);
        return r.startContainer === parent && r.endContainer === parent && r.startOffset === at &&
               r.endOffset === at + 1;
    }

    // A selector naming exactly this element by its position, so the mark
    // needs nothing in the document itself.
    function positionSelector(el) {
        const steps = [];
        for (let node = el; node && node !== document.documentElement; node = node.parentElement)
            steps.unshift(':nth-child(' + (Array.prototype.indexOf.call(node.parentElement.children, node) + 1) + ')');
        return ':root > ' + steps.join(' > ');
    }

    function refreshMarks() {
        if (control && !isControlSelected())
            control = null;
        let rules = showZeroBorders ? ZERO_BORDER_RULE : '';
        if (control)
            rules += '\n' + positionSelector(control) + ' ' + CONTROL_STYLE;
        // Screen only: a printout shows the page as a reader sees it.
        marks.replaceSync(rules ? '@media screen {\n' + rules + '\n}' : '');
    }

    function selectNodes(nodes) {
        const sel = getSelection();
        const r = document.createRange();
        r.setStartBefore(nodes[0]);
        r.setEndAfter(nodes[nodes.length - 1]);
        sel.removeAllRanges();
        sel.addRange(r);
    }

    function selectObject(el) {
        selectNodes([el]);
        control = el;
        refreshMarks();
    }

    document.addEventListener('click', (event) => {
        if (document.designMode !== 'on' || !(event.target instanceof Element))
            return;
        if (event.ctrlKey) {
            const table = event.target.closest('table');
            if (table) {
                event.preventDefault();
                selectObject(table);
            }
        } else if (OBJECT_TAGS.has(event.target.tagName)) {
            selectObject(event.target);
        }
    }, true);
    // A right click on a selected object, or on a picture, leaves the object
    // selected for the context menu instead of moving the caret.
    document.addEventListener('mousedown', (event) => {
        if (event.button !== 2 || document.designMode !== 'on' || !(event.target instanceof Element))
            return;
        if (isControlSelected() && control.contains(event.target)) {
            event.preventDefault();
        } else if (OBJECT_TAGS.has(event.target.tagName)) {
            event.preventDefault();
            selectObject(event.target);
        }
    }, true);
    document.addEventListener('selectionchange', refreshMarks);

    function selectionType() {
        if (isControlSelected())
            return 'Control';
        const sel = getSelection();
        return sel.rangeCount && !sel.isCollapsed ? 'Text' : 'None';
    }

    function currentRange() {
        const sel = getSelection();
        if (sel.rangeCount)
            return sel.getRangeAt(0).cloneRange();
        const r = document.createRange();
        r.setStart(document.body || document.documentElement, 0);
        return r;
    }

    function isBlock(node) {
        return node.nodeType === Node.ELEMENT_NODE && blockOf(node) === node;
    }

    // White space between two blocks, which is not shown.
    function isBlockGap(node, neighbour, outer) {
        return node.nodeType === Node.TEXT_NODE && !node.data.trim() && isBlock(outer) &&
               (!neighbour || isBlock(neighbour));
    }

    // The innermost place where what comes before (or after) node ends (or
    // starts), stepping over white space between blocks: [node, offset].
    function edgeBeside(node, before) {
        const sibling = (n) => (before ? n.previousSibling : n.nextSibling);
        for (;;) {
            while (node && !sibling(node))
                node = node.parentNode;
            if (!node || node === document.body)
                return null;
            let next = sibling(node);
            if (isBlockGap(next, sibling(next), node)) {
                node = next;
                continue;
            }
            while ((before ? next.lastChild : next.firstChild) && !OBJECT_TAGS.has(next.tagName))
                next = before ? next.lastChild : next.firstChild;
            if (next.nodeType === Node.TEXT_NODE)
                return [next, before ? next.length : 0];
            const at = indexInParent(next);
            return [next.parentNode, before ? at + 1 : at];
        }
    }

    // The same selection with ends that select nothing of the node they are
    // in: a triple click ends at the start of the next paragraph, and taking
    // that paragraph in would merge it into the first when the range is
    // replaced.
    function tightRange(r) {
        const t = r.cloneRange();
        if (t.collapsed)
            return t;
        if (t.endOffset === 0 && t.endContainer !== t.startContainer) {
            const edge = edgeBeside(t.endContainer, true);
            if (edge && t.comparePoint(edge[0], edge[1]) === 0)
                t.setEnd(edge[0], edge[1]);
        }
        const startLength = t.startContainer.nodeType === Node.TEXT_NODE
                                ? t.startContainer.length
                                : t.startContainer.childNodes.length;
        if (t.startOffset === startLength && t.startContainer !== t.endContainer) {
            const edge = edgeBeside(t.startContainer, false);
            if (edge && t.comparePoint(edge[0], edge[1]) === 0)
                t.setStart(edge[0], edge[1]);
        }
        return t;
    }

    function containerElement(node) {
        return node.nodeType === Node.ELEMENT_NODE ? node : node.parentElement;
    }

    // The elements whose style decides a value at the selection: the parent
    // of every text node the range touches, or the caret's element.
    function styledElements(r) {
        const result = [];
        const root = r.commonAncestorContainer;
        if (!r.collapsed) {
            const walker = document.createTreeWalker(root, NodeFilter.SHOW_TEXT);
            for (let node = root.nodeType === Node.TEXT_NODE ? root : walker.nextNode(); node;
                 node = walker.nextNode()) {
                if (!r.intersectsNode(node) || !node.data.trim())
                    continue;
                if (node === r.endContainer && r.endOffset === 0)
                    continue;
                if (node === r.startContainer && r.startOffset === node.length)
                    continue;
                result.push(node.parentElement);
            }
        }
        if (!result.length)
            result.push(containerElement(r.startContainer));
        return result;
    }

    function blockOf(el) {
        for (let node = el; node; node = node.parentElement) {
            const display = getComputedStyle(node).display;
            if (display !== 'inline' && display !== 'inline-block' && display !== 'contents')
                return node;
        }
        return el;
    }

    function colorNumber(css) {
        const m = /rgba?\((\d+),\s*(\d+),\s*(\d+)(?:,\s*([\d.]+))?\)/.exec(css);
        if (!m)
            fail('цвет не распознан: ' + css);
        return Number(m[1]) | (Number(m[2]) << 8) | (Number(m[3]) << 16);
    }

    function isTransparent(css) {
        return css === 'transparent' || /rgba\([^)]*,\s*0\)$/.test(css);
    }

    function backColor(el) {
        for (let node = el; node; node = node.parentElement) {
            const css = getComputedStyle(node).backgroundColor;
            if (!isTransparent(css))
                return colorNumber(css);
        }
        return 0xffffff;
    }

    function legacyFontSize(el) {
        const px = parseFloat(getComputedStyle(el).fontSize);
        let best = 0;
        for (let i = 1; i < LEGACY_FONT_PIXELS.length; ++i) {
            if (Math.abs(LEGACY_FONT_PIXELS[i] - px) < Math.abs(LEGACY_FONT_PIXELS[best] - px))
                best = i;
        }
        return best + 1;
    }

    function fontName(el) {
        return getComputedStyle(el)
            .fontFamily.split(',')
            .map((family) => family.trim().replace(/^["']|["']$/g, ''))
            .join(', ');
    }

    function alignment(el) {
        const align = getComputedStyle(blockOf(el)).textAlign;
        switch (align) {
        case 'center':
        case '-webkit-center':
            return 'center';
        case 'right':
        case '-webkit-right':
        case 'end':
            return 'right';
        case 'justify':
            return 'full';
        default:
            return 'left';
        }
    }

    function blockFormat(el) {
        for (let node = el; node; node = node.parentElement) {
            const entry = BLOCK_FORMATS.find((format) => format[1] === node.tagName);
            if (entry)
                return entry[0];
        }
        return BLOCK_FORMATS[0][0];
    }

    // One value for the whole selection, or null where it differs.
    function uniform(read) {
        const values = styledElements(currentRange()).map(read);
        return values.every((v) => v === values[0]) ? values[0] : null;
    }

    function queryValue(command) {
        const name = command.toLowerCase();
        switch (name) {
        case 'fontsize':
            return uniform(legacyFontSize);
        case 'fontname':
            return uniform(fontName);
        case 'forecolor':
            return uniform((el) => colorNumber(getComputedStyle(el).color));
        case 'backcolor':
            return uniform(backColor);
        case 'formatblock':
            return uniform(blockFormat);
        case 'justifyleft':
        case 'justifycenter':
        case 'justifyright':
        case 'justifyfull': {
            const align = uniform(alignment);
            return align === null ? null : 'justify' + align === name;
        }
        default:
            return document.queryCommandValue(command);
        }
    }

    function queryEnabled(command) {
        if (command.toLowerCase() === 'justifynone')
            return document.queryCommandEnabled('justifyLeft');
        return document.queryCommandEnabled(command);
    }

    function hexColor(value) {
        if (typeof value !== 'number')
            fail('цвет должен быть числом');
        const rgb = ((value & 0xff) << 16) | (value & 0xff00) | ((value >> 16) & 0xff);
        return '#' + rgb.toString(16).padStart(6, '0');
    }

    function documentCommand(name, value) {
        if (!document.queryCommandSupported(name))
            fail('команда не поддерживается: ' + name);
        // No value is the empty one: Chromium would write "null" as the
        // new rule's id.
        document.execCommand(name, false, value ?? '');
    }

    function exec(command, value) {
        const name = command.toLowerCase();
        switch (name) {
        case 'formatblock': {
            const entry = BLOCK_FORMATS.find((format) => format[0] === value);
            if (!entry)
                fail('неизвестный стиль: ' + value);
            return documentCommand('formatBlock', '<' + entry[1] + '>');
        }
        case 'forecolor':
        case 'backcolor':
            return documentCommand(name, hexColor(value));
        case 'fontsize':
            return documentCommand(name, String(value));
        case 'justifynone':
            return documentCommand('justifyLeft', null);
        default:
            return documentCommand(command, value == null ? null : String(value));
        }
    }

    // The markup of a text range. Like the classic engine's, it carries the
    // inline elements (bold, font, link) that hold the whole range, so the
    // fragment keeps its look wherever it is put back.
    function rangeHtml(r) {
        if (r.collapsed)
            return '';
        let content = r.cloneContents();
        for (let el = containerElement(r.commonAncestorContainer); el && blockOf(el) !== el;
             el = el.parentElement) {
            const shell = el.cloneNode(false);
            shell.appendChild(content);
            content = shell;
        }
        const holder = document.createElement('div');
        holder.appendChild(content);
        return holder.innerHTML;
    }

    function pasteInto(r, html) {
        // The range's own markup put back over it leaves the document as it
        // is; the engine's insertion would split the elements at its ends.
        // Line breaks are compared as the parser reads them.
        if (html.replace(/\r\n?/g, '\n') === rangeHtml(r))
            return;
        const sel = getSelection();
        sel.removeAllRanges();
        sel.addRange(r);
        const done = html === '' ? (r.collapsed || document.execCommand('delete'))
                                 : document.execCommand('insertHTML', false, html);
        if (!done)
            fail('фрагмент не вставлен: выделение вне документа');
    }

    function textRange(id) {
        const range = get(id);
        if (!range.text)
            fail('операция только для текстового диапазона');
        return range.text;
    }

    function controlRange(id) {
        const range = get(id);
        if (!range.items)
            fail('операция только для диапазона объектов');
        return range.items;
    }

    function commonParent(nodes) {
        let parent = nodes[0];
        while (parent && !nodes.every((node) => parent.contains(node)))
            parent = parent.parentElement;
        return parent;
    }

    function checkIndex(index, length) {
        if (!Number.isInteger(index) || index < 0 || index >= length)
            fail('индекс вне диапазона: ' + index);
    }

    function link() {
        const a = containerElement(currentRange().commonAncestorContainer)?.closest('a[href]');
        return a ? a.href : '';
    }

    function doctypeText() {
        const dt = document.doctype;
        if (!dt)
            return '';
        let text = '<!DOCTYPE ' + dt.name;
        if (dt.publicId)
            text += ' PUBLIC "' + dt.publicId + '"';
        if (dt.systemId)
            text += (dt.publicId ? ' "' : ' SYSTEM "') + dt.systemId + '"';
        return text + '>\n';
    }

    function declareCharset(charset) {
        const head = document.head;
        if (!head)
            fail('в документе нет заголовка HEAD');
        const content = 'text/html; charset=' + charset;
        const metaCharset = head.querySelector('meta[charset]');
        if (metaCharset) {
            if (metaCharset.getAttribute('charset') !== charset)
                metaCharset.setAttribute('charset', charset);
            return;
        }
        const meta = head.querySelector('meta[http-equiv="content-type" i]');
        if (meta) {
            if (meta.getAttribute('content') !== content)
                meta.setAttribute('content', content);
            return;
        }
        const created = document.createElement('meta');
        created.setAttribute('http-equiv', 'Content-Type');
        created.setAttribute('content', content);
        head.insertBefore(created, head.firstChild);
    }

    function rewrite(collection, attribute, rewrites) {
        for (const [index, text] of rewrites) {
            checkIndex(index, collection.length);
            collection[index].setAttribute(attribute, text);
        }
    }

    // Edits since the document was loaded, for recovery copies. The
    // adapter's housekeeping below is not an edit: what it changes in the
    // document is taken back from the observer before it is counted.
    let edits = 0;
    const editWatch = new MutationObserver(() => { ++edits; });
    editWatch.observe(document, { subtree: true, childList: true, attributes: true,
                                  characterData: true });
    const HOUSEKEEPING = new Set(['setDesignMode', 'setTitle', 'setImageSources',
                                  'setLinkTargets', 'serialize', 'replaceContent']);

    // A saved document's markup in place of this one's; the page keeps its
    // address, so pictures with bare names still show.
    function replaceContent(html) {
        const parsed = new DOMParser().parseFromString(html, 'text/html');
        document.replaceChild(document.importNode(parsed.documentElement, true),
                              document.documentElement);
        handles.clear();
        control = null;
        refreshMarks();
    }

    // Blocks a browser reading a file never leaves inside a paragraph. The
    // list commands put lists there; written as they stand, the file would
    // open with stray empty paragraphs around them.
    const BREAKS_PARAGRAPH = ':is(address, article, aside, blockquote, center, details, dialog, ' +
        'dir, div, dl, fieldset, figcaption, figure, footer, form, h1, h2, h3, h4, h5, h6, ' +
        'header, hgroup, hr, main, menu, nav, ol, p, pre, section, summary, table, ul)';

    function isBlank(node) {
        return node.nodeType === Node.TEXT_NODE && !node.data.trim();
    }

    // A paragraph holding such blocks: the blocks beside it, the rest in
    // paragraphs of their own (the first keeps the id), none of white space
    // alone.
    function liftBlocks(p) {
        let piece = null;
        let first = true;
        for (const child of Array.from(p.childNodes)) {
            if (child.nodeType === Node.ELEMENT_NODE && child.matches(BREAKS_PARAGRAPH)) {
                p.before(child);
                piece = null;
            } else if (piece || !isBlank(child)) {
                if (!piece) {
                    piece = p.cloneNode(false);
                    if (!first)
                        piece.removeAttribute('id');
                    first = false;
                    p.before(piece);
                }
                piece.appendChild(child);
            }
        }
        p.remove();
    }

    // What a save writes: the document with blocks lifted out of paragraphs.
    // The page being edited is left alone, so undo still knows it.
    function savedRoot() {
        if (!document.querySelector('p > ' + BREAKS_PARAGRAPH))
            return document.documentElement;
        const root = document.documentElement.cloneNode(true);
        for (const p of root.querySelectorAll('p')) {
            if (p.querySelector(':scope > ' + BREAKS_PARAGRAPH))
                liftBlocks(p);
        }
        return root;
    }

    const COLOUR_ATTRIBUTES = new Set(['bgcolor', 'bordercolor', 'bordercolorlight',
                                       'bordercolordark']);

    // A colour attribute holding six bare hexadecimal digits (as the program
    // writes colours) reads as #rrggbb, the form colours are read in.
    function readProperty(el, name) {
        const text = el.getAttribute(name) ?? '';
        if (COLOUR_ATTRIBUTES.has(name.toLowerCase()) && /^[0-9a-fA-F]{6}$/.test(text))
            return '#' + text.toLowerCase();
        return text;
    }

    const ops = {
        editCount: () => edits,
        replaceContent,
        designMode: () => document.designMode,
        setDesignMode: (mode) => { document.designMode = mode; },
        title: () => document.title,
        setTitle: (text) => { document.title = text; },
        imageSources: () => Array.from(document.images, (img) => img.src),
        setImageSources: (rewrites) => rewrite(document.images, 'src', rewrites),
        image: (index) => { checkIndex(index, document.images.length); return put(document.images[index]); },
        linkTargets: () => Array.from(document.links, (a) => a.href),
        setLinkTargets: (rewrites) => rewrite(document.links, 'href', rewrites),
        link: (index) => { checkIndex(index, document.links.length); return put(document.links[index]); },
        undo: () => { document.execCommand('undo'); },
        redo: () => { document.execCommand('redo'); },
        toggleZeroBorders: () => { showZeroBorders = !showZeroBorders; refreshMarks(); },
        blockFormats: () => BLOCK_FORMATS.map((format) => format[0]),
        insertImage: (url) => {
            const img = document.createElement('img');
            img.setAttribute('src', url);
            pasteInto(currentRange(), img.outerHTML);
        },
        currentLink: link,
        serialize: (charset) => {
            declareCharset(charset);
            return doctypeText() + savedRoot().outerHTML;
        },

        queryCommandEnabled: queryEnabled,
        queryCommandState: (command) => document.queryCommandState(command),
        queryCommandValue: queryValue,
        execCommand: exec,

        selectionType,
        createRange: () =>
            put(isControlSelected() ? { items: [control] } : { text: tightRange(currentRange()) }),

        isControl: (id) => Boolean(get(id).items),
        htmlText: (id) => rangeHtml(textRange(id)),
        rangeParent: (id) => put(containerElement(textRange(id).commonAncestorContainer)),
        pasteHTML: (id, html) => pasteInto(textRange(id), html),
        length: (id) => controlRange(id).length,
        item: (id, index) => {
            const items = controlRange(id);
            checkIndex(index, items.length);
            return put(items[index]);
        },
        commonParentElement: (id) => put(commonParent(controlRange(id))),
        controlExec: (id, command, value) => {
            const items = controlRange(id);
            if (!items.every((node) => node.isConnected))
                fail('выделенный объект уже удален');
            selectNodes(items);
            control = null;
            exec(command, value);
        },

        tagName: (id) => element(id).tagName,
        parentElement: (id) => put(element(id).parentElement),
        outerHTML: (id) => element(id).outerHTML,
        setOuterHTML: (id, html) => { element(id).outerHTML = html; },
        setAttribute: (id, name, value) => element(id).setAttribute(name, value),
        href: (id) => {
            const el = element(id);
            if (typeof el.href !== 'string')
                fail('элемент ' + el.tagName + ' не является ссылкой');
            return el.href;
        },
        property: (id, name) => readProperty(element(id), name),
        setProperty: (id, name, value) => {
            const el = element(id);
            if (value === '')
                el.removeAttribute(name);
            else
                el.setAttribute(name, value);
        },
        noWrap: (id) => element(id, 'TD', 'TH').noWrap,
        setNoWrap: (id, on) => { element(id, 'TD', 'TH').noWrap = on; },
        insertRow: (id, index) => put(element(id, 'TABLE').insertRow(index)),
        deleteRow: (id, index) => element(id, 'TABLE').deleteRow(index),
        rowIndex: (id) => element(id, 'TR').rowIndex,
        cellCount: (id) => element(id, 'TR').cells.length,
        cell: (id, index) => {
            const cells = element(id, 'TR').cells;
            checkIndex(index, cells.length);
            return put(cells[index]);
        },
        insertCell: (id, index) => put(element(id, 'TR').insertCell(index)),
        deleteCell: (id, index) => element(id, 'TR').deleteCell(index),
        cellIndex: (id) => element(id, 'TD', 'TH').cellIndex,
        colSpan: (id) => element(id, 'TD', 'TH').colSpan,
        setColSpan: (id, span) => { element(id, 'TD', 'TH').colSpan = span; },
        rowSpan: (id) => element(id, 'TD', 'TH').rowSpan,
        setRowSpan: (id, span) => { element(id, 'TD', 'TH').rowSpan = span; },
    };

    // One round trip: handles to let go, then the operation and its
    // arguments. The answer says whether it worked.
    window.__q = (released, op, ...args) => {
        for (const id of released)
            handles.delete(id);
        try {
            const fn = ops[op];
            if (!fn)
                fail('неизвестная операция ' + op);
            const value = fn(...args);
            if (HOUSEKEEPING.has(op))
                editWatch.takeRecords();
            return value === null ? { ok: true, isNull: true } : { ok: true, value: value };
        } catch (error) {
            return { ok: false, error: String(error && error.message || error) };
        }
    };
    refreshMarks();
})();
