// A picture of one's own: kept in the data folder, then tried by the
// program itself in a page of its own: a skin it takes becomes the skin of
// the next game; one it refuses leaves this game as it is, with the
// program's message.
//
// The trial page (index.html#check, in a hidden frame) is given the picture
// by this page (postMessage) and keeps nothing: its data folder is in
// memory only, it reads and writes neither the storage nor localStorage and
// registers no service worker; it answers {kwadron: 'skin', ok, text}.
'use strict';

const STORED_SKIN = 'kwadron-skin';
const checking = location.hash === '#check';

function storedSkin() {
  try {
    return localStorage.getItem(STORED_SKIN);
  } catch (e) {
    return null;
  }
}

async function useSkin(file) {
  if (!Module.FS || checking) return;
  const name = 'skin-' + file.name.replace(/[^A-Za-z0-9._-]/g, '_').slice(0, 60);
  const bytes = new Uint8Array(await file.arrayBuffer());
  const trial = document.createElement('iframe');
  trial.style.cssText = 'position:fixed;left:0;top:0;width:320px;height:240px;opacity:0;pointer-events:none';
  trial.setAttribute('aria-hidden', 'true');
  const answer = new Promise(resolve => addEventListener('message', function on(e) {
    if (e.source !== trial.contentWindow || !e.data || e.data.kwadron !== 'skin') return;
    if (e.data.ready) {
      trial.contentWindow.postMessage({kwadron: 'picture', name, bytes}, location.origin);
      return;
    }
    removeEventListener('message', on);
    resolve(e.data);
  }));
  trial.src = 'index.html?SKIN=progdir:' + encodeURIComponent(name) + '#check';
  document.body.append(trial);
  const result = await answer;
  trial.remove();
  if (!result.ok) {
    tellAWhile(`${file.name} cannot be a skin:\n${result.text || 'the game did not take it.'}`);
    return;
  }
  Module.FS.writeFile('/data/kwadron/' + name, bytes);
  await new Promise(done => Module.FS.syncfs(false, done));
  try {
    localStorage.setItem(STORED_SKIN, name);
  } catch (e) {
    // Without localStorage the skin is for this visit only.
  }
  const params = new URLSearchParams(location.search);
  params.delete('SKIN');
  params.delete('skin');
  location.search = params.toString();
}

// In the trial page: the picture, from the page that holds it.
function pictureToTry(FS) {
  return new Promise(resolve => {
    addEventListener('message', function on(e) {
      if (e.source !== parent || !e.data || e.data.kwadron !== 'picture') return;
      removeEventListener('message', on);
      FS.mkdir('/data');
      FS.mkdir('/data/kwadron');
      FS.writeFile('/data/kwadron/' + e.data.name, e.data.bytes);
      resolve();
    });
    parent.postMessage({kwadron: 'skin', ready: true}, location.origin);
  });
}

if (!checking) {
  document.getElementById('skin-file').addEventListener('change', e => {
    if (e.target.files[0]) useSkin(e.target.files[0]);
    e.target.value = '';
  });
  addEventListener('dragover', e => {
    e.preventDefault();
    document.body.classList.add('dragging');
  });
  addEventListener('dragleave', () => document.body.classList.remove('dragging'));
  addEventListener('drop', e => {
    e.preventDefault();
    document.body.classList.remove('dragging');
    if (e.dataTransfer.files[0]) useSkin(e.dataTransfer.files[0]);
  });
}
