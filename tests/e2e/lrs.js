// The LMS's part of a cmi5 launch, on 127.0.0.1 with node's http: the
// course folder under /course/, a fetch URL per launch that hands out its
// token once, and an LRS (statements, the state API with LMS.LaunchData,
// the agent profile) that records what it is sent. Only what a cmi5
// assignable unit uses is served; a request without the launch's token or
// for another learner, activity or registration is refused.
'use strict';
const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');
const crypto = require('node:crypto');

const SESSION = 'https://w3id.org/xapi/cmi5/context/extensions/sessionid';

// The LMS's own pages (where a learner returns to) are under /lms/.
// `course`: the package folder. Gives { base, statements (as received,
// each with the session it came in), states (Map of stateId -> body),
// launch(launchData) -> { url, session, registration }, close, hold (ms
// the answer to a statement is held back: a slow LRS), lag(list) (ms a
// request's statements wait before they are recorded, or 0), and outages
// to play: failStatement(list) and failState(method, stateId) give the
// status to refuse a request with, or 0, loseAnswer(list) the status
// to answer one with though it was recorded, and stall(method, stateId)
// whether to leave a request unanswered }.
async function lrs(course, { activityId, url, actor, registration }) {
  const statements = [];
  const states = new Map();
  const tokens = new Map();  // fetch id -> { token, used, session }
  let current = null;        // the session whose token is valid

  const json = (res, code, body) => {
    res.writeHead(code, { 'Content-Type': 'application/json', 'X-Experience-API-Version': '1.0.3' });
    res.end(body === undefined ? '' : JSON.stringify(body));
  };
  const read = (req) => new Promise((resolve) => {
    const parts = [];
    req.on('data', (c) => parts.push(c));
    req.on('end', () => resolve(Buffer.concat(parts).toString('utf8')));
  });
  const sameLaunch = (q) => q.get('activityId') === activityId && q.get('agent') === JSON.stringify(actor) &&
    (!q.get('registration') || q.get('registration') === registration);

  async function xapi(req, res, url) {
    if (!current || req.headers.authorization !== 'Basic ' + current.token) return json(res, 401, { error: 'token' });
    const q = url.searchParams;
    // An LRS that never answers: the request stays open.
    if (api.stall && api.stall(req.method, q.get('stateId'))) return;
    const resource = url.pathname.slice('/lrs/'.length);
    if (resource === 'statements' && (req.method === 'POST' || req.method === 'PUT')) {
      const body = JSON.parse(await read(req));
      const list = Array.isArray(body) ? body : [body];
      const refused = api.failStatement && api.failStatement(list);
      if (refused) return json(res, refused, { error: 'outage' });
      // The network may hand a request over after one sent later.
      const { session } = current;
      const lag = api.lag && api.lag(list);
      if (lag) await new Promise((resolve) => setTimeout(resolve, lag));
      // A statement of an id held already is not recorded again: the same
      // one is taken as it is, another one refused, as xAPI has it.
      const held = (s) => statements.find((r) => r.statement.id === s.id);
      if (list.some((s) => held(s) && JSON.stringify(held(s).statement) !== JSON.stringify(s)))
        return json(res, 409, { error: 'another statement of that id' });
      for (const s of list.filter((s) => !held(s))) statements.push({ session, statement: s });
      if (api.hold) await new Promise((resolve) => setTimeout(resolve, api.hold));
      // Recorded, but the answer does not reach the learner's browser.
      const lost = api.loseAnswer && api.loseAnswer(list);
      if (lost) return json(res, lost, { error: 'outage' });
      return json(res, 200, list.map((s) => s.id));
    }
    if (resource === 'activities/state') {
      if (!sameLaunch(q)) return json(res, 400, { error: 'another launch' });
      const id = q.get('stateId');
      const refused = api.failState && api.failState(req.method, id);
      if (refused) return json(res, refused, { error: 'outage' });
      if (req.method === 'GET') return states.has(id) ? json(res, 200, states.get(id)) : json(res, 404, {});
      if (id === 'LMS.LaunchData') return json(res, 403, { error: 'the LMS owns it' });
      states.set(id, JSON.parse(await read(req)));
      return json(res, 204);
    }
    if (resource === 'agents/profile') return json(res, 404, {});
    return json(res, 404, { error: resource });
  }

  const server = http.createServer((req, res) => {
    const url = new URL(req.url, 'http://127.0.0.1');
    if (url.pathname.startsWith('/fetch/') && req.method === 'POST') {
      const t = tokens.get(url.pathname.slice('/fetch/'.length));
      if (!t || t.used) return json(res, 200, { 'error-code': '1', 'error-text': 'already used' });
      t.used = true;
      current = t;
      return json(res, 200, { 'auth-token': t.token });
    }
    if (url.pathname.startsWith('/lrs/')) return xapi(req, res, url).catch((e) => json(res, 500, { error: String(e) }));
    if (url.pathname.startsWith('/lms/')) return res.writeHead(200, { 'Content-Type': 'text/html' }).end('<title>LMS</title>');
    const file = path.join(course, path.normalize('/' + decodeURIComponent(url.pathname.replace(/^\/course\//, ''))));
    fs.readFile(file, (err, data) => {
      if (err || !url.pathname.startsWith('/course/')) return res.writeHead(404).end();
      const type = { '.htm': 'text/html', '.js': 'text/javascript', '.css': 'text/css' }[path.extname(file)];
      res.writeHead(200, type ? { 'Content-Type': type } : {}).end(data);
    });
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const base = `http://127.0.0.1:${server.address().port}/`;

  // A new session of the registration, as the LMS launches the unit: its
  // LaunchData (with the session's id in the context template) and a
  // fetch URL of its own.
  function launch(launchData) {
    const session = crypto.randomUUID();
    const fetchId = crypto.randomUUID();
    tokens.set(fetchId, { token: Buffer.from('learner:' + crypto.randomUUID()).toString('base64'), used: false, session });
    states.set('LMS.LaunchData', { ...launchData,
      contextTemplate: { contextActivities: { grouping: [{ objectType: 'Activity', id: activityId }] },
                         extensions: { [SESSION]: session } } });
    const params = new URLSearchParams({ endpoint: base + 'lrs/', fetch: base + 'fetch/' + fetchId,
      actor: JSON.stringify(actor), registration, activityId });
    return { url: base + 'course/' + url + '?' + params, session, registration };
  }

  const api = { base, statements, states, launch, close: () => server.close(), hold: 0, lag: null, failStatement: null, failState: null,
    loseAnswer: null, stall: null };
  return api;
}

module.exports = { lrs, SESSION };
