// Messages on the page: one that ends the game stays, over the picture,
// with a way to start again; others go after a while.
'use strict';

const note = document.getElementById('note');
let untellLater = 0;

function tell(text, ending) {
  clearTimeout(untellLater);
  note.textContent = text;
  note.classList.toggle('ending', !!ending);
  if (ending) {
    const again = document.createElement('button');
    again.textContent = 'Play again';
    again.onclick = () => location.reload();
    note.append(document.createElement('br'), again);
    again.focus();
  }
  note.hidden = false;
}

function tellAWhile(text) {
  tell(text, false);
  untellLater = setTimeout(() => (note.hidden = true), 8000);
}
