// The widget's start page in headless Chromium: the page and a stand-in portal
// are served on 127.0.0.1 only; every other address is refused.
// usage: node startpage.test.js <wgt tool> <widget source dir> <test-certs dir> <cmake>
'use strict';
const assert = require('node:assert/strict');
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const http = require('node:http');
const os = require('node:os');
const path = require('node:path');
const { chromium } = require('playwright-core');

const [wgtTool, widgetSrc, certs, cmake] = process.argv.slice(2);
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'startpage-'));
// A 1 x 1 GIF for the loading picture.
const gif = Buffer.from('R0lGODlhAQABAIAAAP///wAAACH5BAEAAAAALAAAAAABAAEAAAICRAEAOw==', 'base64');
const requests = [];

function standInScript(where) {
  return `window.portalRuns = (window.portalRuns || 0) + 1; window.portalWhere = ${JSON.stringify(where)};` +
         ` document.getElementById("log").textContent = "stand-in portal ran";`;
}

const server = http.createServer((req, res) => {
  const url = new URL(req.url, 'http://127.0.0.1');
  requests.push(decodeURIComponent(url.pathname));
  const send = (status, type, body) => { res.writeHead(status, { 'Content-Type': type }); res.end(body); };
  for (const where of ['/portal/', '/widget/']) {
    if (url.pathname === where + 'tizen_start.php') return send(200, 'text/javascript', standInScript(where));
    if (url.pathname === where + 'images/loading-gif-animation.gif') return send(200, 'image/gif', gif);
  }
  if (url.pathname.startsWith('/widget/')) {
    const file = path.join(work, 'widget', path.normalize(decodeURIComponent(url.pathname.slice(8))));
    if (file.startsWith(path.join(work, 'widget')) && fs.existsSync(file) && fs.statSync(file).isFile()) {
      const types = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.png': 'image/png' };
      return send(200, types[path.extname(file)] || 'application/octet-stream', fs.readFileSync(file));
    }
  }
  send(404, 'text/plain', 'not here');
});

function packWidget(portal) {
  const wgt = path.join(work, 'TalvaneTV.wgt');
  const password = fs.readFileSync(path.join(certs, 'PASSWORD'), 'utf8').trim();
  const env = { ...process.env,
    WGT_AUTHOR_P12: path.join(certs, 'test-author.p12'), WGT_AUTHOR_PASSWORD: password,
    WGT_DISTRIBUTOR_P12: path.join(certs, 'test-distributor.p12'), WGT_DISTRIBUTOR_PASSWORD: password };
  execFileSync(wgtTool, ['pack', widgetSrc, wgt, '--portal-url', portal], { env, stdio: 'inherit' });
  execFileSync(wgtTool, ['verify', wgt, '--root', path.join(certs, 'test-root.pem')], { stdio: 'inherit' });
  fs.mkdirSync(path.join(work, 'widget'));
  execFileSync(cmake, ['-E', 'tar', 'xf', wgt], { cwd: path.join(work, 'widget'), stdio: 'inherit' });
}

async function main() {
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const origin = `http://127.0.0.1:${server.address().port}`;
  const portal = `${origin}/portal/`;
  const page0 = `${origin}/widget/index.html`;
  packWidget(portal);

  const context = await chromium.launchPersistentContext(path.join(work, 'profile'), {
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--headless', '--disable-gpu', '--disable-background-networking',
           '--disable-component-update', '--no-first-run'],
  });
  const foreign = [];
  await context.route('**/*', (route) => {
    const u = new URL(route.request().url());
    if (u.origin === origin) return route.continue();
    foreign.push(u.href);
    return route.abort();
  });

  const cases = [
    { name: 'no query: navigates once to the portal', url: page0, ppath: portal, navigations: 2 },
    { name: 'empty pt: paths relative to the page', url: `${page0}?pt=`, ppath: '', navigations: 1 },
    { name: 'other keys ignored, the later pt wins', url: `${page0}?a=1&pt=${origin}/nowhere/&x&pt=${portal}&b=2=3`,
      ppath: portal, navigations: 1 },
    { name: 'pt without "=" counts as empty', url: `${page0}?pt`, ppath: '', navigations: 1 },
  ];
  try {
    for (const c of cases) {
      const page = await context.newPage();
      const errors = [];
      const visited = [];
      page.on('pageerror', (e) => errors.push(e.message));
      page.on('framenavigated', (f) => { if (f === page.mainFrame()) visited.push(f.url()); });
      requests.length = 0;
      await page.goto(c.url);
      await page.waitForFunction(() => window.portalRuns >= 1 && document.querySelector('#lp img.loading_img') &&
                                       document.querySelector('#lp img').complete, null, { timeout: 30000 });
      const base = c.ppath === '' ? `${origin}/widget/` : c.ppath;
      const state = await page.evaluate(() => {
        const lp = document.getElementById('lp');
        const img = lp.querySelector('img');
        const scripts = [...document.head.querySelectorAll('script')];
        const last = scripts[scripts.length - 1];
        const s = getComputedStyle(lp);
        const b = getComputedStyle(document.body);
        return {
          ppath, filename, runs: window.portalRuns, where: window.portalWhere,
          lpClass: lp.className, parent: lp.parentElement.id, children: document.getElementById('body_el').children.length,
          img: img.src, imgWidth: img.naturalWidth, script: last.src, scriptType: last.getAttribute('type'),
          log: document.getElementById('log').textContent,
          style: { position: s.position, top: s.top, left: s.left, width: s.width, height: s.height,
                   background: s.backgroundColor, radius: [s.borderTopLeftRadius, s.borderTopRightRadius,
                   s.borderBottomRightRadius, s.borderBottomLeftRadius], zIndex: s.zIndex, font: s.fontFamily },
          body: { color: b.color, background: b.backgroundColor, font: b.fontFamily },
        };
      });
      const label = c.name;
      assert.equal(state.ppath, c.ppath, label);
      assert.equal(state.filename, 'tizen_start.php', label);
      assert.equal(state.runs, 1, label);
      assert.equal(state.where, c.ppath === '' ? '/widget/' : '/portal/', label);
      assert.equal(state.log, 'stand-in portal ran', label);
      assert.equal(state.lpClass, 'loading_bar_tizen', label);
      assert.equal(state.parent, 'body_el', label);
      assert.equal(state.children, 1, label);
      assert.equal(state.img, `${base}images/loading-gif-animation.gif`, label);
      assert.equal(state.imgWidth, 1, `${label}: the loading picture loaded`);
      assert.equal(state.script, `${base}tizen_start.php`, label);
      assert.equal(state.scriptType, 'text/javascript', label);
      assert.deepEqual(state.style, {
        position: 'absolute', top: '465px', left: '885px', width: '100px', height: '100px',
        background: 'rgba(0, 0, 32, 0.66)', radius: ['16px', '16px', '16px', '16px'], zIndex: '3',
        font: 'Arial, sans-serif' }, label);
      assert.deepEqual(state.body, { color: 'rgb(255, 255, 255)', background: 'rgba(0, 0, 0, 0)',
                                     font: 'Arial, sans-serif' }, label);
      assert.equal(visited.length, c.navigations, `${label}: ${visited.join(' ')}`);
      if (c.navigations === 2) assert.equal(visited[1], `${page0}?pt=${portal}`, label);
      // The TV library's path does not resolve off the set; the page carries on without it.
      assert.ok(requests.includes('/widget/$WEBAPIS/webapis/webapis.js'), `${label}: ${requests.join(' ')}`);
      assert.equal(requests.filter((r) => r.endsWith('tizen_start.php')).length, 1, label);
      assert.deepEqual(errors, [], label);
      console.log(`ok: ${label}`);
      await page.close();
    }
    assert.deepEqual(foreign, [], 'requests to other addresses');
  } finally {
    await context.close();
    server.close();
    fs.rmSync(work, { recursive: true, force: true });
  }
}

main().catch((e) => { console.error(e); process.exitCode = 1; server.close(); });
